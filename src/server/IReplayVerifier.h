// Plays an uploaded replay with the game's own rules and says how its game
// ended; the ranking service only compares the outcome with the claim.
#pragma once

#include <string>

#include "replay/ReplayCheck.h"

struct SVerifyOutcome {
  enum class EKind {
    Checked,     // result holds the game's end
    Unplayable,  // the archive is damaged or foreign
    Failed,      // the check itself crashed, ran too long or grew too large
    Stopped,     // the server is stopping: the check was not made
  };
  EKind kind = EKind::Failed;
  SReplayCheckResult result;
  std::string detail;  // for the log: why it failed
};

class IReplayVerifier {
 public:
  virtual ~IReplayVerifier() = default;
  // Callable from several threads at once.
  virtual SVerifyOutcome fVerify(const std::string& archive) = 0;
  // For a stop: checks that wait for their turn, and any that would from
  // now on, end Stopped; those running go on.
  virtual void fRefuseQueued() {}
  // The stop's time is up: checks still running end as Failed at once.
  virtual void fAbortRunning() {}
};

// Checks in this process, on the caller's thread: a check is a loop in
// memory, so several may run at once. For tests, fuzzing and tools; the
// server uses the worker pool, whose processes run this check.
class CInProcessVerifier : public IReplayVerifier {
 public:
  SVerifyOutcome fVerify(const std::string& archive) override;
};
