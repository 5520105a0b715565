// The records that outlive the program: the high-score table (one entry per
// mode, "dat/score.dat") and the pad buttons ("dat/setting.dat").
#pragma once

#include <memory>
#include <vector>

#include "persist/CHighScoreInfo.h"
#include "persist/COptionInfo.h"

inline constexpr const char* kScoreFile = "dat/score.dat";
inline constexpr const char* kSettingFile = "dat/setting.dat";
// One entry per mode: plimo, yoiko, wanpaku.
constexpr int kHighScoreEntryCount = 3;

extern std::shared_ptr<COptionInfo> gOptionInfo;
extern std::vector<std::shared_ptr<CHighScoreInfo>> gHighScores;

// Enter the record classes into the archive's class register; calling them
// again does nothing.
void fRegisterOptionInfo();
void fRegisterHighScoreInfo();

// A missing file gives the defaults and writes nothing. A damaged one also
// gives defaults for what could not be read: it is renamed to "<file>.broken"
// (never overwritten) and the player is told so in one line on stderr.
void fLoadOptionInfo();
void fSaveOptionInfo();
// The table always has at least kHighScoreEntryCount entries afterwards.
void fLoadHighScore();
void fSaveHighScore();
