// Finding a font file for a face name through fontconfig.
#pragma once

#include <optional>
#include <string>

struct SFontFile {
  std::string path;
  int index = 0;      // face index inside a collection (.ttc)
  bool bold = false;  // the face itself is bold or heavier
};

// faceName null: the default face, one that draws Japanese. A name that
// says "Black" or "Bold", or wantBold, asks for that weight; when the family
// is not installed fontconfig's closest face of the weight stands in.
std::optional<SFontFile> fFindFontFile(const char* faceName, bool wantBold);
