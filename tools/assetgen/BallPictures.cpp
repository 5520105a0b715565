#include <numbers>

#include "Painter.h"
#include "Pictures.h"

namespace {

// 44 x 44 so the hold and next frames (and the 0.8-scaled queue) fit them.
constexpr int kBallPicture = 44;

}  // namespace

void fMakeBallPictures(CAssetWriter& out) {
  for (const SBallColour& ball : kBallColours) {
    CCanvas canvas(kBallPicture, kBallPicture);
    fDrawBall(canvas.fCr(), kBallPicture / 2.0, kBallPicture / 2.0, kBallPicture / 2.0 - 1.5, ball.colour,
              ball.garbage);
    out.fWrite(std::string("image/ui_parts/plimoball_") + ball.name + ".png", canvas.fToPng());
  }

  // A soft-edged disc: white inside, black outside, for masked effects.
  CCanvas mask(64, 64);
  cairo_t* cr = mask.fCr();
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_arc(cr, 32, 32, 30, 0, 2 * std::numbers::pi);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill(cr);
  out.fWrite("mask/circle.png", mask.fToPng());
}
