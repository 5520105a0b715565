#include "text/Language.h"

#include <cstdlib>

namespace {
ELanguage gLanguage = ELanguage::Japanese;
}

ELanguage fCurrentLanguage() { return gLanguage; }
void fSetLanguage(ELanguage language) { gLanguage = language; }

ELanguage fLanguageFromLocale(const std::string& locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX") return ELanguage::Japanese;
  // "C.UTF-8" is the neutral locale too, only with another character set.
  if (locale.rfind("C.", 0) == 0) return ELanguage::Japanese;
  if (locale.rfind("ja", 0) == 0) return ELanguage::Japanese;
  return ELanguage::English;
}

ELanguage fSystemLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return fLanguageFromLocale(value);
  }
  return ELanguage::Japanese;
}

const char* fLanguageCode(ELanguage language) { return language == ELanguage::English ? "en" : "ja"; }

std::optional<ELanguage> fLanguageFromCode(const std::string& code) {
  if (code == "ja") return ELanguage::Japanese;
  if (code == "en") return ELanguage::English;
  return std::nullopt;
}
