#include "gamelib/sdl/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <cstring>

namespace {

bool fContains(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }

}  // namespace

std::optional<SFontFile> fFindFontFile(const char* faceName, bool wantBold) {
  if (FcInit() == FcFalse) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return std::nullopt;
  int weight = FC_WEIGHT_REGULAR;
  if (faceName == nullptr || faceName[0] == '\0') {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  } else {
    // Added as a family, not parsed: a name is not a fontconfig pattern.
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName));
    if (fContains(faceName, "Black") || fContains(faceName, "Heavy")) {
      weight = FC_WEIGHT_BLACK;
    } else if (fContains(faceName, "Bold")) {
      weight = FC_WEIGHT_BOLD;
    }
  }
  if (wantBold && weight < FC_WEIGHT_BOLD) weight = FC_WEIGHT_BOLD;
  FcPatternAddInteger(pattern, FC_WEIGHT, weight);
  // SDL_ttf scales outlines; bitmap-only faces would come out at one size.
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;

  std::optional<SFontFile> found;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
    SFontFile font;
    font.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &font.index);
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    font.bold = matchedWeight >= FC_WEIGHT_BOLD;
    found = std::move(font);
  }
  FcPatternDestroy(match);
  return found;
}
