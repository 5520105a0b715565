#include "server/GameIdMigration.h"

#include <algorithm>
#include <future>
#include <vector>

SGameIdMigration fNameStoredGames(IRankingStore& store, IReplayVerifier& verifier, int parallel,
                                  const std::function<void(const std::string&)>& log,
                                  const std::atomic<bool>* stop) {
  SGameIdMigration done;
  const auto batch = static_cast<std::size_t>(std::max(1, parallel));
  auto stopping = [stop] { return stop != nullptr && stop->load(); };
  long long after = 0;
  bool announced = false;
  while (!stopping()) {
    const std::vector<SUnnamedEntry> entries = store.fUnnamedEntries(after, batch);
    if (entries.empty()) break;
    if (!announced) {
      log("- naming stored entries by what was played, from entry " + std::to_string(entries.front().id));
      announced = true;
    }
    std::vector<std::future<SVerifyOutcome>> checks;
    for (const SUnnamedEntry& entry : entries) {
      checks.push_back(std::async(std::launch::async, [&verifier, &entry] { return verifier.fVerify(entry.archive); }));
    }
    // Named in the order they were stored, so the oldest of a family keeps
    // its place.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const SVerifyOutcome outcome = checks[i].get();
      const std::string entry = "stored entry " + std::to_string(entries[i].id);
      if (outcome.kind == SVerifyOutcome::EKind::Stopped || stopping()) {
        done.stopped = true;
        continue;  // every check of the batch is collected before leaving
      }
      after = entries[i].id;
      if (outcome.kind == SVerifyOutcome::EKind::Failed) {
        ++done.failed;
        log("- " + entry + " could not be checked now: " + outcome.detail);
        continue;
      }
      if (outcome.kind == SVerifyOutcome::EKind::Unplayable) {
        ++done.unplayable;
        store.fMarkUnplayable(entries[i].id, outcome.detail);
        log("- " + entry + " cannot be played: marked, left as it was (" + outcome.detail + ")");
        continue;
      }
      const SNaming naming = store.fNameEntry(entries[i].id, outcome.result.gameId, outcome.result.openingId);
      if (naming.named) {
        ++done.named;
      } else {
        ++done.setAside;
        log("- " + entry + " copies entry " + std::to_string(naming.copyOf) + ": set aside");
      }
    }
  }
  done.stopped = done.stopped || stopping();
  if (done.named + done.setAside + done.unplayable + done.failed > 0 || done.stopped) {
    log("- named " + std::to_string(done.named) + " stored entries by what was played, set aside " +
        std::to_string(done.setAside) + ", " + std::to_string(done.unplayable) + " unplayable, " +
        std::to_string(done.failed) + " to try again" + (done.stopped ? "; stopped before the end" : ""));
  }
  return done;
}
