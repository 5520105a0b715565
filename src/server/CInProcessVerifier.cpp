#include <new>

#include "server/IReplayVerifier.h"
#include "util/Assert.h"

SVerifyOutcome CInProcessVerifier::fVerify(const std::string& archive) {
  SVerifyOutcome outcome;
  try {
    outcome.result = fCheckReplayBytes(archive);
    outcome.kind = SVerifyOutcome::EKind::Checked;
  } catch (const CGameError& error) {
    outcome.kind = SVerifyOutcome::EKind::Unplayable;
    outcome.detail = error.what();
  } catch (const CFatalError& error) {
    outcome.kind = SVerifyOutcome::EKind::Unplayable;
    outcome.detail = error.fMessage();
  } catch (const std::bad_alloc&) {
    outcome.kind = SVerifyOutcome::EKind::Failed;
    outcome.detail = "out of memory";
  } catch (const std::exception& error) {
    outcome.kind = SVerifyOutcome::EKind::Unplayable;
    outcome.detail = error.what();
  }
  return outcome;
}
