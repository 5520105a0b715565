#include <numbers>

#include "BallSymbols.h"
#include "Models.h"
#include "Painter.h"
#include "Pictures.h"

namespace {

// 44 x 44 so the hold and next frames (and the 0.8-scaled queue) fit them.
constexpr int kBallPicture = 44;

// The symbol as the models carry it: white on a dark rim, `size` pixels
// from its centre to its farthest point.
void fDrawSymbol(cairo_t* cr, double cx, double cy, double size, EBallSymbol symbol) {
  const std::vector<SPoint2> outline = fSymbolOutline(symbol);
  if (outline.empty()) return;
  auto path = [&] {
    cairo_new_path(cr);
    for (const SPoint2& p : outline) cairo_line_to(cr, cx + p.x * size, cy - p.y * size);
    cairo_close_path(cr);
  };
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  path();
  fSetColour(cr, palette::kInk);
  cairo_set_line_width(cr, size * 0.32);
  cairo_stroke(cr);
  path();
  fSetColour(cr, fHex(0xFFFFF8));
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

void fMakeBallPictures(CAssetWriter& out) {
  for (const SBallColour& ball : kBallColours) {
    CCanvas canvas(kBallPicture, kBallPicture);
    fDrawBall(canvas.fCr(), kBallPicture / 2.0, kBallPicture / 2.0, kBallPicture / 2.0 - 1.5, ball.colour,
              ball.garbage);
    out.fWrite(std::string("image/ui_parts/plimoball_") + ball.name + ".png", canvas.fToPng());
    // The same ball with its symbol, for the "Ball symbols" option.
    fDrawSymbol(canvas.fCr(), kBallPicture / 2.0, kBallPicture / 2.0, kBallPicture * 0.26, ball.symbol);
    out.fWrite(std::string("image/ui_parts/plimoball_") + ball.name + kSymbolSuffix + ".png", canvas.fToPng());
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
