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
constexpr int kBoldThickness = 7;

int fUtf8Length(unsigned char lead) { return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }

}  // namespace

int fConservativeTextWidth(std::string_view text, const STextFace& face) {
  const int size = face.size > 0 ? face.size : 16;
  int width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int bytes = fUtf8Length(lead);
    if (bytes > 1) {
      width += size;
    } else if (!face.named) {
      width += (size + 1) / 2;
    } else if (lead >= ' ' && lead <= '~') {
      width += (kNamedWidths[lead - ' '] * size + 63) / 64;
    } else {
      width += size;
    }
    i += static_cast<std::size_t>(bytes);
  }
  // An emboldened face overhangs its last character.
  if (width > 0 && face.thick >= kBoldThickness) width += (size + 9) / 10;
  return width;
}

int fTextEdgeMargin(const STextFace& face) {
  return face.type == DX_FONTTYPE_EDGE || face.type == DX_FONTTYPE_ANTIALIASING_EDGE ? 1 : 0;
}
