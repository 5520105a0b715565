#include "server/GameIdMigration.h"

#include <algorithm>
#include <future>
#include <vector>

SGameIdMigration fNameStoredGames(IRankingStore& store, IReplayVerifier& verifier, int parallel,
                                  const std::function<void(const std::string&)>& log) {
  SGameIdMigration done;
  const auto batch = static_cast<std::size_t>(std::max(1, parallel));
  long long after = 0;
  for (;;) {
    const std::vector<SUnnamedEntry> entries = store.fUnnamedEntries(after, batch);
    if (entries.empty()) break;
    std::vector<std::future<SVerifyOutcome>> checks;
    for (const SUnnamedEntry& entry : entries) {
      checks.push_back(std::async(std::launch::async, [&verifier, &entry] { return verifier.fVerify(entry.archive); }));
    }
    // Named in the order they were stored, so the oldest copy of a game
    // keeps its place.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const SVerifyOutcome outcome = checks[i].get();
      after = entries[i].id;
      if (outcome.kind != SVerifyOutcome::EKind::Checked) {
        ++done.unplayable;
        log("- stored entry " + std::to_string(entries[i].id) + " cannot be named by its game: " + outcome.detail);
        continue;
      }
      if (store.fNameEntry(entries[i].id, outcome.result.gameId)) {
        ++done.named;
      } else {
        ++done.setAside;
        log("- stored entry " + std::to_string(entries[i].id) + " is a later copy of a registered game: set aside");
      }
    }
  }
  if (done.named + done.setAside + done.unplayable > 0) {
    log("- named " + std::to_string(done.named) + " stored entries by their games, set aside " +
        std::to_string(done.setAside) + ", " + std::to_string(done.unplayable) + " not checkable");
  }
  return done;
}
