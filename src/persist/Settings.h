// The player's settings beyond the pad buttons of "dat/setting.dat": the
// language, the keyboard keys of the eight game keys, the two volumes and
// the window size, the ball symbols, and the name last sent to the online
// ranking. They live in a small text file of "key=value" lines next to
// "dat/setting.dat"; lines the game does not know are kept as they are.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "text/Language.h"

inline constexpr const char* kSettingsTextFile = "dat/settings.txt";

// The keyboard keys of the eight game keys a player can assign, in the
// order of the option menu: left, up, right, down, drop, hold, turn left,
// turn right. The designed ones are J I L K, X, Space, Z, C.
extern const std::array<int, 8> kDefaultKeyboardKeys;

constexpr int kMaxVolume = 10;
inline constexpr std::array<double, 3> kWindowScales = {1.0, 1.5, 2.0};

struct SSettings {
  std::optional<ELanguage> language;  // none: follow the system locale
  std::array<int, 8> keys = kDefaultKeyboardKeys;  // keyboard codes, menu order
  int musicVolume = kMaxVolume;
  int effectVolume = kMaxVolume;
  int windowScale = 0;  // index into kWindowScales
  std::string rankingName;  // the name last sent to the ranking; empty before
  bool ballSymbols = false;  // a shape on each ball colour, for colour-blind players
  std::vector<std::string> otherLines;  // unknown lines, written back unchanged
};

// Reads the text of the file. Every value that cannot be read keeps its
// default and its key is named in `damaged` (also a set of keys that are not
// eight distinct keys: all eight go back to the defaults together).
SSettings fParseSettings(const std::string& text, std::vector<std::string>& damaged);
std::string fFormatSettings(const SSettings& settings);

extern SSettings gSettings;

// A missing file gives the defaults; a damaged value its default, with one
// line on stderr naming what was replaced.
void fLoadSettings();
// Written to a temporary file and renamed over the old one.
void fSaveSettings();
// The language the game shows: the player's choice, else the locale's.
ELanguage fSettingsLanguage(const SSettings& settings);
