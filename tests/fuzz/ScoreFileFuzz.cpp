// "dat/score.dat" as the game loads it at start: a damaged file is set
// aside, a sound one gives a table of at least one entry per mode, each its
// own object, and saving that table reads back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "RecordFileSupport.h"
#include "persist/Records.h"

namespace {

struct SEntry {
  int score, maxRensa;
  bool isRegistered;
  bool operator==(const SEntry&) const = default;
};

std::vector<SEntry> fTable() {
  std::vector<SEntry> table;
  for (const auto& entry : gHighScores) table.push_back({entry->score, entry->maxRensa, entry->isRegistered});
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fPlaceRecordFile(kScoreFile, data, size);
  fLoadHighScore();

  FUZZ_CHECK(gHighScores.size() >= static_cast<std::size_t>(kHighScoreEntryCount));
  for (std::size_t i = 0; i < gHighScores.size(); ++i) {
    FUZZ_CHECK(gHighScores[i] != nullptr);
    for (std::size_t j = 0; j < i; ++j) FUZZ_CHECK(gHighScores[i] != gHighScores[j]);
  }
  if (fRecordFileSetAside(kScoreFile)) return 0;

  // A new best is saved over the loaded file; the next start reads it back.
  const std::vector<SEntry> loaded = fTable();
  fSaveHighScore();
  fLoadHighScore();
  FUZZ_CHECK(!fRecordFileSetAside(kScoreFile));
  FUZZ_CHECK(fTable() == loaded);
  return 0;
}
