// The pictures the models are textured with, beside the models in dat/.
#include <array>

#include "Models.h"
#include "Painter.h"
#include "Pictures.h"

namespace {

// 4 pixels a unit over a 32-unit cell face: sharp up close, and the
// renderer's mipmaps keep it calm from afar.
constexpr int kBrickPicture = 128;
constexpr int kCourses = 4;       // brick rows on a cell face
constexpr double kJoint = 4.0;    // mortar width in pixels, half on each side of an edge
constexpr double kCorner = 2.5;   // rounded brick corners

}  // namespace

void fMakeModelTextures(CAssetWriter& out) {
  CCanvas canvas(kBrickPicture, kBrickPicture);
  cairo_t* cr = canvas.fCr();
  fSetColour(cr, fHex(0xD9CFBA));  // mortar
  cairo_paint(cr);
  // Three clean tints in a fixed order, no noise: the picture has to read
  // as bricks at 30 pixels a cell, where speckles only flicker.
  const std::array<SColour, 3> tints = {fHex(0xC25A40), fHex(0xB04C36), fHex(0xCF6A4A)};
  constexpr double course = static_cast<double>(kBrickPicture) / kCourses;
  constexpr double length = kBrickPicture / 2.0;  // two bricks a course
  for (int row = 0; row < kCourses; ++row) {
    // Every other course shifted by half a brick; the picture's edges cut
    // bricks where the neighbouring cell's picture continues them.
    const double shift = row % 2 == 0 ? 0.0 : length / 2.0;
    const double y = row * course + kJoint / 2.0;
    for (int i = -1; i < 2; ++i) {
      const double x = shift + i * length + kJoint / 2.0;
      // The bricks at -1 and 1 are the two halves of the one that crosses
      // the picture's edge: the same tint.
      const int brick = (i + 2) % 2;
      const SColour tint = tints[static_cast<std::size_t>((row * 2 + brick) % 3)];
      fRoundedRect(cr, x, y, length - kJoint, course - kJoint, kCorner);
      // A soft fall of light from the top edge to the bottom gives the
      // bricks some body without any texture noise.
      fFillVertical(cr, y, y + course - kJoint, fMix(tint, palette::kWhite, 0.12), fShade(tint, 0.9));
      cairo_new_path(cr);
    }
  }
  out.fWrite(kBrickTexture, canvas.fToPng());
}
