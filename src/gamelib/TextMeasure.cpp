#include "gamelib/TextMeasure.h"

#include <array>

#include "gamelib/GameLib.h"

namespace {

// Widths of ' ' to '~' in 64ths of the line height: the widest each
// character is in DejaVu Sans Bold fitted to any line height from 8 to 48.
constexpr std::array<int, 95> kNamedWidths = {
    22, 27, 30, 47, 40, 56, 50, 19, 27, 27, 32, 47, 23, 25, 23, 25,  //
    40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 24, 24, 47, 47, 47, 35,  //
    56, 46, 43, 43, 47, 40, 40, 47, 47, 22, 29, 48, 38, 56, 47, 48,  //
    43, 48, 45, 42, 42, 47, 46, 62, 46, 50, 42, 27, 25, 27, 47, 30,  //
    30, 39, 42, 35, 42, 39, 29, 42, 42, 21, 26, 42, 21, 60, 42, 40,  //
    42, 42, 30, 35, 30, 42, 40, 53, 39, 39, 35, 42, 22, 42, 47};
// At the two sizes the game sets a named face in, each character's own
// advance in pixels there (hinting rounds each size its own way, so the
// ratios above overstate these by a pixel a character or so).
constexpr std::array<int, 95> kNamedWidths12 = {
    3, 5, 5, 8, 7, 10, 9, 3, 5, 5, 6, 8, 4, 4, 4, 4, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 4, 4, 8, 8, 8, 6,
    10, 8, 8, 7, 8, 7, 7, 8, 8, 4, 5, 9, 7, 10, 8, 9, 7, 9, 8, 7, 7, 8, 8, 11, 8, 9, 7, 5, 4, 5, 8, 5,
    5, 7, 7, 6, 7, 7, 5, 7, 7, 3, 4, 7, 3, 10, 7, 7, 7, 7, 5, 6, 5, 7, 7, 9, 7, 7, 6, 7, 4, 7, 8};
constexpr std::array<int, 95> kNamedWidths36 = {
    11, 14, 16, 26, 22, 31, 27, 9,  14, 14, 16, 26, 12, 13, 12, 12, 22, 22, 22, 22, 22, 22, 22, 22,
    22, 22, 12, 12, 26, 26, 26, 18, 31, 24, 24, 23, 26, 21, 21, 25, 26, 12, 14, 25, 20, 31, 26, 26,
    23, 26, 24, 22, 21, 25, 24, 34, 24, 24, 22, 14, 12, 14, 26, 16, 16, 21, 22, 18, 22, 21, 14, 22,
    22, 11, 13, 22, 11, 32, 22, 21, 22, 22, 16, 18, 15, 22, 20, 29, 20, 20, 18, 22, 11, 22, 26};
constexpr int kBoldThickness = 7;

// A named face at a size with its own table; nothing for any other size.
const std::array<int, 95>* fExactTable(const STextFace& face) {
  if (!face.named) return nullptr;
  if (face.size == 12) return &kNamedWidths12;
  if (face.size == 36) return &kNamedWidths36;
  return nullptr;
}

int fUtf8Length(unsigned char lead) { return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }

}  // namespace

int fConservativeTextWidth(std::string_view text, const STextFace& face) {
  const int size = face.size > 0 ? face.size : 16;
  if (const auto* exact = fExactTable(face)) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const int bytes = fUtf8Length(lead);
      width += bytes == 1 && lead >= ' ' && lead <= '~' ? (*exact)[lead - ' '] : size;
      i += static_cast<std::size_t>(bytes);
    }
    // A last character's ink may reach a pixel past its advance.
    if (width > 0) width += face.thick >= kBoldThickness ? 1 + (size + 9) / 10 : 1;
    return width;
  }
  // In 64ths of the line height, rounded up once: each table entry already
  // holds the rounding of every size it was measured at.
  long long sixtyFourths = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int bytes = fUtf8Length(lead);
    if (bytes > 1) {
      sixtyFourths += 64;
    } else if (!face.named) {
      sixtyFourths += 32;
    } else if (lead >= ' ' && lead <= '~') {
      sixtyFourths += kNamedWidths[lead - ' '];
    } else {
      sixtyFourths += 64;
    }
    i += static_cast<std::size_t>(bytes);
  }
  int width = static_cast<int>((sixtyFourths * size + 63) / 64);
  // An emboldened face overhangs its last character.
  if (width > 0 && face.thick >= kBoldThickness) width += (size + 9) / 10;
  return width;
}

int fTextEdgeMargin(const STextFace& face) {
  return face.type == DX_FONTTYPE_EDGE || face.type == DX_FONTTYPE_ANTIALIASING_EDGE ? 1 : 0;
}
