#include "persist/Settings.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "online/RankingUrl.h"
#include "util/Assert.h"

const std::array<int, 8> kDefaultKeyboardKeys = {KEY_INPUT_J, KEY_INPUT_I,     KEY_INPUT_L, KEY_INPUT_K,
                                                 KEY_INPUT_X, KEY_INPUT_SPACE, KEY_INPUT_Z, KEY_INPUT_C};
SSettings gSettings;

namespace {

constexpr const char* kKeyNames[8] = {"key.left", "key.up",   "key.right", "key.down",
                                      "key.drop", "key.hold", "key.turn_left", "key.turn_right"};

std::optional<int> fParseInt(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::string fTrim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string fScaleText(int index) {
  static const char* const kTexts[] = {"1", "1.5", "2"};
  return kTexts[index];
}

}  // namespace

SSettings fParseSettings(const std::string& text, std::vector<std::string>& damaged) {
  SSettings settings;
  bool keysDamaged = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || fTrim(line).rfind('#', 0) == 0) {
      if (!fTrim(line).empty()) settings.otherLines.push_back(line);
      continue;
    }
    const std::string key = fTrim(line.substr(0, equals));
    const std::string value = fTrim(line.substr(equals + 1));
    if (key == "language") {
      if (value == "auto") {
        settings.language.reset();
      } else if (const auto language = fLanguageFromCode(value)) {
        settings.language = language;
      } else {
        damaged.push_back(key);
      }
    } else if (key == "music_volume" || key == "effect_volume") {
      int& target = key == "music_volume" ? settings.musicVolume : settings.effectVolume;
      if (const auto volume = fParseInt(value, 0, kMaxVolume)) {
        target = *volume;
      } else {
        damaged.push_back(key);
      }
    } else if (key == "window_scale") {
      int index = -1;
      for (int i = 0; i < static_cast<int>(kWindowScales.size()); ++i) {
        if (value == fScaleText(i)) index = i;
      }
      if (index >= 0) {
        settings.windowScale = index;
      } else {
        damaged.push_back(key);
      }
    } else if (key == "ranking_name") {
      if (fIsValidRankingName(value)) {
        settings.rankingName = value;
      } else {
        damaged.push_back(key);
      }
    } else if (key == "ball_symbols") {
      if (value == "1" || value == "0") {
        settings.ballSymbols = value == "1";
      } else {
        damaged.push_back(key);
      }
    } else if (const auto* name = std::find(std::begin(kKeyNames), std::end(kKeyNames), key);
               name != std::end(kKeyNames)) {
      const auto code = fParseInt(value, 1, KEY_CODE_COUNT - 1);
      if (code) {
        settings.keys[static_cast<std::size_t>(name - std::begin(kKeyNames))] = *code;
      } else {
        damaged.push_back(key);
        keysDamaged = true;
      }
    } else {
      settings.otherLines.push_back(line);
    }
  }
  // Two actions on one key would make one of them unreachable.
  const std::set<int> distinct(settings.keys.begin(), settings.keys.end());
  if (keysDamaged || distinct.size() != settings.keys.size()) {
    if (!keysDamaged) damaged.push_back("key.*");
    settings.keys = kDefaultKeyboardKeys;
  }
  return settings;
}

std::string fFormatSettings(const SSettings& settings) {
  std::string text;
  text += std::string("language=") + (settings.language ? fLanguageCode(*settings.language) : "auto") + "\n";
  for (std::size_t i = 0; i < settings.keys.size(); ++i) {
    text += std::string(kKeyNames[i]) + "=" + std::to_string(settings.keys[i]) + "\n";
  }
  text += "music_volume=" + std::to_string(settings.musicVolume) + "\n";
  text += "effect_volume=" + std::to_string(settings.effectVolume) + "\n";
  text += "window_scale=" + fScaleText(settings.windowScale) + "\n";
  if (!settings.rankingName.empty()) text += "ranking_name=" + settings.rankingName + "\n";
  text += std::string("ball_symbols=") + (settings.ballSymbols ? "1" : "0") + "\n";
  for (const std::string& line : settings.otherLines) text += line + "\n";
  return text;
}

void fLoadSettings() {
  gSettings = SSettings{};
  if (!fFileExists(kSettingsTextFile)) return;
  std::vector<std::string> damaged;
  std::string text;
  try {
    text = fReadWholeFile(kSettingsTextFile);
    gSettings = fParseSettings(text, damaged);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: %s could not be read (%s); using the default settings\n", kSettingsTextFile,
                 error.what());
    return;
  }
  if (damaged.empty()) return;
  std::string names;
  for (const std::string& name : damaged) names += (names.empty() ? "" : ", ") + name;
  // The player's file as it was stays beside the repaired one (never overwritten).
  const std::string kept = std::string(kSettingsTextFile) + ".broken";
  try {
    if (!fFileExists(kept)) fWriteWholeFile(kept, text);
  } catch (const CGameError&) {
    // Only the copy is lost; the defaults still stand in.
  }
  std::fprintf(stderr, "PlimoBall: %s: damaged values replaced by defaults: %s (the file as it was: %s)\n",
               kSettingsTextFile, names.c_str(), kept.c_str());
}

void fSaveSettings() { fWriteWholeFile(kSettingsTextFile, fFormatSettings(gSettings)); }

ELanguage fSettingsLanguage(const SSettings& settings) {
  return settings.language ? *settings.language : fSystemLanguage();
}
