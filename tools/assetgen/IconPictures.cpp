#include <string>

#include "Painter.h"
#include "Pictures.h"

namespace {

using namespace palette;

constexpr int kIconSizes[] = {48, 64, 128, 256};

// A pile of three balls on a tile of the title's sky, drawn in a 256 unit
// square and scaled, so every size is drawn sharp rather than resampled.
void fDrawIcon(CCanvas& canvas) {
  cairo_t* cr = canvas.fCr();
  const double scale = canvas.fWidth() / 256.0;
  auto tile = [](cairo_t* c) { fRoundedRect(c, 12, 12, 232, 232, 48); };
  // The shadow is drawn in pixels, before the canvas is scaled.
  fDrawShadow(
      canvas,
      [&](cairo_t* c) {
        cairo_scale(c, scale, scale);
        tile(c);
      },
      0, 4 * scale, 6 * scale, fWithAlpha(kInk, 0.45));
  cairo_scale(cr, scale, scale);
  tile(cr);
  fFillVertical(cr, 12, 244, kSkyTop, kSkyBottom);
  cairo_set_source_rgb(cr, kNavy.r, kNavy.g, kNavy.b);
  cairo_set_line_width(cr, 8);
  cairo_stroke(cr);
  // The turf the balls rest on.
  cairo_save(cr);
  tile(cr);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 196, 256, 60);
  fFillVertical(cr, 196, 256, kGrass, kGrassDark);
  cairo_new_path(cr);
  cairo_restore(cr);
  const SBallColour& red = kBallColours[0];
  const SBallColour& blue = kBallColours[2];
  const SBallColour& yellow = kBallColours[3];
  fDrawBall(cr, 84, 160, 46, red.colour, red.garbage);
  fDrawBall(cr, 172, 160, 46, blue.colour, blue.garbage);
  fDrawBall(cr, 128, 84, 46, yellow.colour, yellow.garbage);
}

}  // namespace

void fMakeIcons(CAssetWriter& out) {
  for (const int size : kIconSizes) {
    CCanvas canvas(size, size);
    fDrawIcon(canvas);
    out.fWrite("icon/plimoball-" + std::to_string(size) + ".png", canvas.fToPng());
  }
}
