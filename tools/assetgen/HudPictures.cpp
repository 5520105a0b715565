#include <cmath>
#include <numbers>
#include <string>

#include "Painter.h"
#include "Pictures.h"

namespace {

using namespace palette;

// The stage texts are drawn over the side panel at fixed rows (screen y 10,
// 50, ... 330); each group of label and value gets a card in its colour.
struct SPanelGroup {
  double top;
  double bottom;
  SColour colour;
};

void fMakePanel(CAssetWriter& out) {
  CCanvas canvas(266, 480);
  cairo_t* cr = canvas.fCr();
  cairo_rectangle(cr, 0, 0, 266, 480);
  fFillVertical(cr, 0, 480, fHex(0x26336E), fHex(0x141A3C));
  cairo_new_path(cr);

  // Faint diagonal stripes for texture.
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, 266, 480);
  cairo_clip(cr);
  fSetColour(cr, fWithAlpha(kWhite, 0.035));
  for (double x = -480; x < 266; x += 24) {
    cairo_move_to(cr, x, 480);
    cairo_line_to(cr, x + 480, 0);
    cairo_line_to(cr, x + 492, 0);
    cairo_line_to(cr, x + 12, 480);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  cairo_restore(cr);

  // Bevel on the edge that meets the 3D view.
  cairo_rectangle(cr, 0, 0, 3, 480);
  fSetColour(cr, fHex(0x6F88E0));
  cairo_fill(cr);
  cairo_rectangle(cr, 3, 0, 2, 480);
  fSetColour(cr, fHex(0x0C1028));
  cairo_fill(cr);

  const SPanelGroup groups[] = {
      {4, 48, fHex(0xFFFF64)},   // LV (text colour 255, 255, 100)
      {48, 128, fHex(0x64FFFF)},  // SCORE
      {128, 208, fHex(0x6464FF)},  // HIGH SCORE
      {208, 288, fHex(0xFF6464)},  // RENSA / MAX RENSA
      {288, 368, fHex(0x64FF64)},  // CREATED
  };
  for (const SPanelGroup& group : groups) {
    const double x = 9, w = 250, y = group.top + 2, h = group.bottom - group.top - 4;
    fRoundedRect(cr, x, y, w, h, 8);
    fFillVertical(cr, y, y + h, fWithAlpha(group.colour, 0.16), fWithAlpha(group.colour, 0.06));
    fSetColour(cr, fWithAlpha(group.colour, 0.35));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    fRoundedRect(cr, x + 2, y + 4, 4, h - 8, 2);
    fSetColour(cr, fWithAlpha(group.colour, 0.9));
    cairo_fill(cr);
  }

  // Bottom: a row of balls and the game's name (the NEW RECORD badge blinks
  // over the balls at screen (400, 380)).
  int index = 0;
  for (const SBallColour& ball : kBallColours) {
    if (ball.garbage) continue;
    fDrawBall(cr, 48 + 34.0 * index, 410 + (index % 2 == 0 ? -3 : 3), 11, ball.colour, false);
    ++index;
  }
  fDrawLogo(canvas, 133, 456, 30);
  out.fWrite("image/ui_parts/menu.png", canvas.fToPng());
}

// A slot frame for queue balls: dark glass with a light double border.
void fDrawSlotFrame(CCanvas& canvas, double w, double h) {
  cairo_t* cr = canvas.fCr();
  fRoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 10);
  fFillVertical(cr, 0, h, fWithAlpha(kNavy, 0.78), fWithAlpha(fHex(0x0E1430), 0.85));
  fSetColour(cr, kCream);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  fRoundedRect(cr, 5, 5, w - 10, h - 10, 7);
  fSetColour(cr, fWithAlpha(kSkyTop, 0.7));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// A small tab label in orange: letters in white with a dark edge.
void fDrawTab(CCanvas& canvas, double x, double y, double w, double h, bool roundLeft, bool roundBottom) {
  cairo_t* cr = canvas.fCr();
  const double r = 7;
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  // Corners that touch the frame stay square.
  const bool topLeft = roundLeft && !roundBottom, topRight = false;
  const bool bottomLeft = true, bottomRight = roundBottom;
  if (topRight) cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0); else cairo_move_to(cr, x + w, y);
  if (bottomRight) cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2); else cairo_line_to(cr, x + w, y + h);
  if (bottomLeft) cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi); else cairo_line_to(cr, x, y + h);
  if (topLeft) cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2); else cairo_line_to(cr, x, y);
  cairo_close_path(cr);
  fFillVertical(cr, y, y + h, fHex(0xFFB347), fHex(0xF2762E));
  fSetColour(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

STextStyle fTabText(double pixels) {
  STextStyle style;
  style.pixels = pixels;
  style.outline = kInk;
  style.outlineWidth = 2.2;
  return style;
}

void fMakeQueuePictures(CAssetWriter& out) {
  // Hold frame at (32, 10) around the ball at (50, 18): 80 x 60 centres it.
  {
    CCanvas canvas(80, 60);
    fDrawSlotFrame(canvas, 80, 60);
    out.fWrite("image/ui_parts/hold_waku.png", canvas.fToPng());
  }
  // "HOLD" at (8, 10), stacked, as a tab on the frame's left side.
  {
    CCanvas canvas(25, 60);
    fDrawTab(canvas, 0.75, 2, 24, 56, true, false);
    const STextStyle style = fTabText(12.5);
    const char* letters[] = {"H", "O", "L", "D"};
    for (int i = 0; i < 4; ++i) fDrawText(canvas, letters[i], style, 12.5, 11 + 12.7 * i, EAlign::Centre);
    out.fWrite("image/ui_parts/hold.png", canvas.fToPng());
  }
  // Next frame at (140, 10): the next ball at (160, 18), the two after it
  // scaled 0.8 and centred at (258, 40) and (308, 40).
  {
    CCanvas canvas(200, 60);
    fDrawSlotFrame(canvas, 200, 60);
    cairo_t* cr = canvas.fCr();
    fRoundedRect(cr, 86, 8, 106, 44, 7);
    fSetColour(cr, fWithAlpha(kBlack, 0.22));
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    fSetColour(cr, fWithAlpha(kCream, 0.6));
    cairo_set_line_width(cr, 2);
    for (double y = 12; y <= 48; y += 6) {
      cairo_move_to(cr, 80, y);
      cairo_line_to(cr, 80, y + 1);
    }
    cairo_stroke(cr);
    out.fWrite("image/ui_parts/next_waku.png", canvas.fToPng());
  }
  // "NEXT" at (250, 70), hanging under the small queue balls.
  {
    CCanvas canvas(66, 20);
    fDrawTab(canvas, 0.75, 0, 64.5, 19, false, true);
    fDrawText(canvas, "NEXT", fTabText(12), 33, 9.5, EAlign::Centre);
    out.fWrite("image/ui_parts/next.png", canvas.fToPng());
  }
}

// Big lettering for the stage's announcements: gradient fill, dark edge, a
// white outer edge and a soft shadow so it reads over the 3D box.
STextStyle fBanner(double pixels, SColour top, SColour bottom) {
  STextStyle style;
  style.pixels = pixels;
  style.fillTop = top;
  style.fillBottom = bottom;
  style.outline = kInk;
  style.outlineWidth = pixels * 0.16;
  style.outer = kWhite;
  style.outerWidth = pixels * 0.3;
  style.shadow = fWithAlpha(kBlack, 0.45);
  style.shadowDx = 2;
  style.shadowDy = 3;
  style.shadowBlur = 6;
  return style;
}

// The largest size (in pixels, up to `pixels`) at which the text and its
// edges fit `width` x `height`.
STextStyle fFit(STextStyle style, const std::string& text, double width, double height) {
  for (;;) {
    const SInk ink = fMeasureText(text, style);
    const double edge = std::max(style.outerWidth, style.outlineWidth) + 8;
    if ((ink.width + edge <= width && ink.height + edge <= height) || style.pixels < 8) return style;
    const double shrink = 0.96;
    style.pixels *= shrink;
    style.outlineWidth *= shrink;
    style.outerWidth *= shrink;
  }
}

void fDrawSparkle(cairo_t* cr, double x, double y, double size, SColour colour) {
  cairo_move_to(cr, x, y - size);
  cairo_curve_to(cr, x + size * 0.15, y - size * 0.15, x + size * 0.15, y - size * 0.15, x + size, y);
  cairo_curve_to(cr, x + size * 0.15, y + size * 0.15, x + size * 0.15, y + size * 0.15, x, y + size);
  cairo_curve_to(cr, x - size * 0.15, y + size * 0.15, x - size * 0.15, y + size * 0.15, x - size, y);
  cairo_curve_to(cr, x - size * 0.15, y - size * 0.15, x - size * 0.15, y - size * 0.15, x, y - size);
  cairo_close_path(cr);
  fSetColour(cr, colour);
  cairo_fill_preserve(cr);
  fSetColour(cr, kInk);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void fMakeBanner(CAssetWriter& out, const std::string& name, const std::string& text, int w, int h,
                 STextStyle style) {
  CCanvas canvas(w, h);
  fDrawText(canvas, text, fFit(style, text, w, h), w / 2.0, h / 2.0 - 1, EAlign::Centre);
  out.fWrite("image/ui_parts/" + name, canvas.fToPng());
}

void fMakeAnnouncements(CAssetWriter& out) {
  fMakeBanner(out, "ready.png", "READY?", 200, 70, fBanner(52, fHex(0xB8F1FF), fHex(0x3D9BE8)));
  fMakeBanner(out, "go.png", "GO!", 120, 70, fBanner(60, fHex(0xFFF27A), fHex(0xFF8A2A)));
  fMakeBanner(out, "gameover.png", "GAME OVER", 300, 80, fBanner(54, fHex(0xFFC2D6), fHex(0xE8365A)));
  {
    CCanvas canvas(300, 80);
    const STextStyle style = fFit(fBanner(54, fHex(0xFFF7A8), fHex(0xFFA928)), "STAGE CLEAR", 300, 76);
    fDrawText(canvas, "STAGE CLEAR", style, 150, 40, EAlign::Centre);
    fDrawSparkle(canvas.fCr(), 14, 16, 9, kWhite);
    fDrawSparkle(canvas.fCr(), 286, 62, 8, kSun);
    fDrawSparkle(canvas.fCr(), 278, 14, 5, kWhite);
    out.fWrite("image/ui_parts/stageclear.png", canvas.fToPng());
  }
  // NEW RECORD: a ribbon badge, readable over the dark panel it blinks on.
  {
    CCanvas canvas(230, 60);
    cairo_t* cr = canvas.fCr();
    auto ribbon = [](cairo_t* target) {
      cairo_move_to(target, 6, 12);
      cairo_line_to(target, 224, 12);
      cairo_line_to(target, 214, 30);
      cairo_line_to(target, 224, 48);
      cairo_line_to(target, 6, 48);
      cairo_line_to(target, 16, 30);
      cairo_close_path(target);
    };
    fDrawShadow(canvas, ribbon, 2, 3, 5, fWithAlpha(kBlack, 0.5));
    ribbon(cr);
    fFillVertical(cr, 12, 48, fHex(0xFF8FB8), fHex(0xE53E7B));
    fSetColour(cr, kWhite);
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    STextStyle style = fBanner(26, kWhite, fHex(0xFFF1A0));
    style.outerWidth = 0;
    style.outlineWidth = 5;
    style.shadow = fWithAlpha(kBlack, 0.0);
    fDrawText(canvas, "NEW RECORD!", fFit(style, "NEW RECORD!", 190, 40), 115, 30, EAlign::Centre);
    fDrawSparkle(cr, 18, 10, 8, kSun);
    fDrawSparkle(cr, 212, 50, 7, kWhite);
    out.fWrite("image/ui_parts/save_highscore.png", canvas.fToPng());
  }
}

}  // namespace

void fMakeHudPictures(CAssetWriter& out) {
  fMakePanel(out);
  fMakeQueuePictures(out);
  fMakeAnnouncements(out);
}
