#include "persist/Records.h"

#include <cstdio>
#include <optional>

#include "gamelib/FileSystem.h"
#include "persist/Serializer.h"

std::shared_ptr<COptionInfo> gOptionInfo;
std::vector<std::shared_ptr<CHighScoreInfo>> gHighScores;

namespace {

template <DescribableClass T>
void fRegisterOnce() {
  ClassRegister& classes = ClassRegister::fInstance();
  const std::string tag = fMakeClassTag(T::fClassName());
  if (!classes.fHasTag(tag)) classes.registerClass<T>(tag, [] { return std::make_shared<T>(); });
}

std::vector<std::shared_ptr<CHighScoreInfo>> fDefaultHighScores() {
  std::vector<std::shared_ptr<CHighScoreInfo>> table;
  for (int i = 0; i < kHighScoreEntryCount; ++i) table.push_back(std::make_shared<CHighScoreInfo>());
  return table;
}

// The exception texts span lines; the player gets one.
std::string fOneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// The first "<path>.broken" name not taken, so that an older damaged file
// is not replaced by a newer one.
std::string fFreeBrokenName(const std::string& path) {
  std::string name = path + ".broken";
  for (int n = 2; fFileExists(name); ++n) name = path + ".broken." + std::to_string(n);
  return name;
}

// Moves the damaged file aside before any save can write over it; the
// player's data stays on disk for mending by hand.
void fSetAsideDamagedFile(const std::string& path, const std::string& reason, const std::string& consequence) {
  const std::string kept = fFreeBrokenName(path);
  std::string where;
  try {
    fRenameFile(path, kept);
    where = "The damaged file is kept as " + kept;
  } catch (const CGameError& error) {
    where = "The damaged file could not be set aside (" + fOneLine(error.what()) + ")";
  }
  std::fprintf(stderr, "PlimoBall: %s is damaged (%s); %s. %s\n", path.c_str(), fOneLine(reason).c_str(),
               consequence.c_str(), where.c_str());
  std::fflush(stderr);
}

// Reads one value of a record file. Returns why the file is damaged, or
// nothing when it read cleanly to the end of its value.
template <class T>
std::optional<std::string> fReadRecordFile(const std::string& path, T& value) {
  std::optional<Serializer> archive;
  std::optional<std::string> problem;
  try {
    archive.emplace(path, EFileMode::In);
    archive->describe(value);
  } catch (const CGameError& error) {
    problem = error.what();
  } catch (const CFatalError& error) {
    problem = error.fMessage();
  }
  // A short file is the plainer explanation of whatever followed from it.
  if (archive && archive->fEndedEarly()) problem = "the file ends early";
  return problem;
}

}  // namespace

void fRegisterOptionInfo() { fRegisterOnce<COptionInfo>(); }
void fRegisterHighScoreInfo() { fRegisterOnce<CHighScoreInfo>(); }

void fLoadOptionInfo() {
  fRegisterOptionInfo();
  if (!fFileExists(kSettingFile)) {
    gOptionInfo = std::make_shared<COptionInfo>();
    return;
  }
  std::shared_ptr<COptionInfo> loaded;
  if (const auto problem = fReadRecordFile(kSettingFile, loaded)) {
    fSetAsideDamagedFile(kSettingFile, *problem, "starting with the default pad buttons");
    gOptionInfo = std::make_shared<COptionInfo>();
    return;
  }
  // The key manager reads all 15 entries: the missing ones take the defaults.
  const std::size_t stored = loaded->padButtons.size();
  if (stored < static_cast<std::size_t>(kOptionPadButtonCount)) {
    for (std::size_t i = stored; i < static_cast<std::size_t>(kOptionPadButtonCount); ++i) {
      loaded->padButtons.push_back(kOptionDefaultPadButtons[i]);
    }
    fSetAsideDamagedFile(kSettingFile,
                         "only " + std::to_string(stored) + " of the " + std::to_string(kOptionPadButtonCount) +
                             " pad buttons are stored",
                         "the missing ones start from the defaults");
  }
  gOptionInfo = loaded;
}

void fSaveOptionInfo() {
  PLIMO_ASSERT(gOptionInfo != nullptr, "saving the option record before it was loaded");
  fDeleteFile(kSettingFile);
  Serializer archive(kSettingFile, EFileMode::Out);
  archive.describe(gOptionInfo);
}

void fLoadHighScore() {
  fRegisterHighScoreInfo();
  if (!fFileExists(kScoreFile)) {
    gHighScores = fDefaultHighScores();
    return;
  }
  std::vector<std::shared_ptr<CHighScoreInfo>> table;
  if (const auto problem = fReadRecordFile(kScoreFile, table)) {
    fSetAsideDamagedFile(kScoreFile, *problem, "starting with empty high scores");
    gHighScores = fDefaultHighScores();
    return;
  }
  // The format lets one object stand for several entries; a new best of one
  // mode must not change another, so each entry gets its own object.
  for (std::size_t i = 0; i < table.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (table[j] == table[i]) {
        table[i] = std::make_shared<CHighScoreInfo>(*table[i]);
        break;
      }
    }
  }
  const std::size_t stored = table.size();
  if (stored < static_cast<std::size_t>(kHighScoreEntryCount)) {
    while (table.size() < static_cast<std::size_t>(kHighScoreEntryCount)) {
      table.push_back(std::make_shared<CHighScoreInfo>());
    }
    fSetAsideDamagedFile(kScoreFile,
                         "only " + std::to_string(stored) + " of the " + std::to_string(kHighScoreEntryCount) +
                             " high scores are stored",
                         "the missing ones start empty");
  }
  gHighScores = table;
}

void fSaveHighScore() {
  // Not deleted first: the table's length, and so the file's, never changes.
  Serializer archive(kScoreFile, EFileMode::Out);
  archive.describe(gHighScores);
}
