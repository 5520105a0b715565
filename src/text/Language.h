// The language every text of the game is shown in. Japanese is the game's
// own; English is for players who read no Japanese.
#pragma once

#include <optional>
#include <string>

enum class ELanguage : int { Japanese = 0, English = 1 };
constexpr int kLanguageCount = 2;

ELanguage fCurrentLanguage();
void fSetLanguage(ELanguage language);

// The language a locale name asks for: "ja..." and the neutral "C", "POSIX"
// or an empty name give Japanese, any other language English.
ELanguage fLanguageFromLocale(const std::string& locale);
// From the environment, in the order the C library looks: LC_ALL,
// LC_MESSAGES, LANG (the first one set and not empty).
ELanguage fSystemLanguage();

// "ja" and "en", as the settings file writes them.
const char* fLanguageCode(ELanguage language);
std::optional<ELanguage> fLanguageFromCode(const std::string& code);
