#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "Painter.h"
#include "Pictures.h"

namespace {

using namespace palette;

constexpr double kPi = std::numbers::pi;
constexpr int kButtonWidth = 260;
constexpr int kButtonHeight = 44;

enum class EIcon { Play, Replay, Upload, Crown, Gear, Mode, Book, Power, Calendar };

struct SButtonInfo {
  const char* name;   // "title_play" ...
  const char* label;  // what the player reads
  const char* englishLabel;  // the same in the English pictures ("<name>..._en")
  EIcon icon;
  SColour colour;     // the icon ball's colour
  int groupSize;      // mode buttons: balls shown that clear together
};

enum class ELook { Normal, Focused, Disabled, DisabledFocused };

// White symbol on the icon ball.
void fDrawIcon(cairo_t* cr, EIcon icon, double cx, double cy, double r) {
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_new_path(cr);
  switch (icon) {
    case EIcon::Play:
      cairo_move_to(cr, cx - 0.3 * r, cy - 0.45 * r);
      cairo_line_to(cr, cx + 0.5 * r, cy);
      cairo_line_to(cr, cx - 0.3 * r, cy + 0.45 * r);
      cairo_close_path(cr);
      break;
    case EIcon::Replay:
      cairo_arc(cr, cx, cy, 0.45 * r, -0.3 * kPi, 1.35 * kPi);
      cairo_set_line_width(cr, 0.2 * r);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_stroke(cr);
      cairo_move_to(cr, cx + 0.45 * r * std::cos(-0.3 * kPi) - 0.25 * r, cy + 0.45 * r * std::sin(-0.3 * kPi) - 0.2 * r);
      cairo_line_to(cr, cx + 0.45 * r * std::cos(-0.3 * kPi) + 0.2 * r, cy + 0.45 * r * std::sin(-0.3 * kPi) - 0.1 * r);
      cairo_line_to(cr, cx + 0.45 * r * std::cos(-0.3 * kPi) + 0.05 * r, cy + 0.45 * r * std::sin(-0.3 * kPi) + 0.3 * r);
      cairo_close_path(cr);
      break;
    case EIcon::Upload:
      cairo_move_to(cr, cx, cy - 0.55 * r);
      cairo_line_to(cr, cx + 0.45 * r, cy - 0.05 * r);
      cairo_line_to(cr, cx + 0.17 * r, cy - 0.05 * r);
      cairo_line_to(cr, cx + 0.17 * r, cy + 0.5 * r);
      cairo_line_to(cr, cx - 0.17 * r, cy + 0.5 * r);
      cairo_line_to(cr, cx - 0.17 * r, cy - 0.05 * r);
      cairo_line_to(cr, cx - 0.45 * r, cy - 0.05 * r);
      cairo_close_path(cr);
      break;
    case EIcon::Crown:
      cairo_move_to(cr, cx - 0.5 * r, cy + 0.4 * r);
      cairo_line_to(cr, cx - 0.55 * r, cy - 0.35 * r);
      cairo_line_to(cr, cx - 0.22 * r, cy - 0.02 * r);
      cairo_line_to(cr, cx, cy - 0.5 * r);
      cairo_line_to(cr, cx + 0.22 * r, cy - 0.02 * r);
      cairo_line_to(cr, cx + 0.55 * r, cy - 0.35 * r);
      cairo_line_to(cr, cx + 0.5 * r, cy + 0.4 * r);
      cairo_close_path(cr);
      break;
    case EIcon::Gear:
      for (int tooth = 0; tooth < 8; ++tooth) {
        const double a = tooth * kPi / 4.0;
        const double ca = std::cos(a), sa = std::sin(a), w = 0.13 * r;
        cairo_move_to(cr, cx + 0.3 * r * ca - w * sa, cy + 0.3 * r * sa + w * ca);
        cairo_line_to(cr, cx + 0.58 * r * ca - w * sa, cy + 0.58 * r * sa + w * ca);
        cairo_line_to(cr, cx + 0.58 * r * ca + w * sa, cy + 0.58 * r * sa - w * ca);
        cairo_line_to(cr, cx + 0.3 * r * ca + w * sa, cy + 0.3 * r * sa - w * ca);
        cairo_close_path(cr);
      }
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy, 0.42 * r, 0, 2 * kPi);
      cairo_new_sub_path(cr);
      cairo_arc_negative(cr, cx, cy, 0.17 * r, 2 * kPi, 0);
      break;
    case EIcon::Mode:
      break;
    case EIcon::Book:  // an open book: two pages
      cairo_rectangle(cr, cx - 0.5 * r, cy - 0.38 * r, 0.44 * r, 0.76 * r);
      cairo_rectangle(cr, cx + 0.06 * r, cy - 0.38 * r, 0.44 * r, 0.76 * r);
      break;
    case EIcon::Calendar:  // a sheet with its binding rings and one day marked
      cairo_rectangle(cr, cx - 0.48 * r, cy - 0.3 * r, 0.96 * r, 0.12 * r);
      cairo_rectangle(cr, cx - 0.3 * r, cy - 0.52 * r, 0.12 * r, 0.2 * r);
      cairo_rectangle(cr, cx + 0.18 * r, cy - 0.52 * r, 0.12 * r, 0.2 * r);
      cairo_rectangle(cr, cx - 0.48 * r, cy - 0.12 * r, 0.12 * r, 0.6 * r);
      cairo_rectangle(cr, cx + 0.36 * r, cy - 0.12 * r, 0.12 * r, 0.6 * r);
      cairo_rectangle(cr, cx - 0.48 * r, cy + 0.36 * r, 0.96 * r, 0.12 * r);
      cairo_rectangle(cr, cx - 0.12 * r, cy - 0.02 * r, 0.26 * r, 0.26 * r);
      break;
    case EIcon::Power: {  // the power sign: a ring open at the top, a bar through the gap
      const double top = -kPi / 2.0, gap = kPi / 5.0;
      cairo_arc(cr, cx, cy + 0.05 * r, 0.48 * r, top + gap, top - gap + 2.0 * kPi);
      cairo_arc_negative(cr, cx, cy + 0.05 * r, 0.3 * r, top - gap + 2.0 * kPi, top + gap);
      cairo_close_path(cr);
      cairo_new_sub_path(cr);
      cairo_rectangle(cr, cx - 0.09 * r, cy - 0.55 * r, 0.18 * r, 0.55 * r);
      break;
    }
  }
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
  cairo_fill(cr);
  cairo_restore(cr);
}

SColour fGreyed(SColour c) {
  const double grey = 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
  return fMix({grey, grey, grey, 1.0}, fHex(0xB9BEC8), 0.5);
}

void fDrawButton(CAssetWriter& out, const SButtonInfo& button, ELook look, const std::string& fileName) {
  CCanvas canvas(kButtonWidth, kButtonHeight);
  cairo_t* cr = canvas.fCr();
  const bool focused = look == ELook::Focused || look == ELook::DisabledFocused;
  const bool disabled = look == ELook::Disabled || look == ELook::DisabledFocused;
  const double x = focused ? 3 : 6, y = 3, w = kButtonWidth - (focused ? 6 : 12), h = kButtonHeight - 8;
  auto shape = [&](cairo_t* target) { fRoundedRect(target, x, y, w, h, h / 2.0); };

  fDrawShadow(canvas, shape, 1.5, 3, 3, fWithAlpha(kInk, disabled ? 0.25 : 0.45));
  shape(cr);
  if (disabled) {
    fFillVertical(cr, y, y + h, fHex(0xE4E6EA), fHex(0xC3C7CF));
  } else if (focused) {
    fFillVertical(cr, y, y + h, fHex(0xFFE36E), fHex(0xFF9838));
  } else {
    fFillVertical(cr, y, y + h, fHex(0xFFFFFF), fHex(0xD4EBFF));
  }
  // Gloss on the upper half.
  cairo_new_path(cr);
  fRoundedRect(cr, x + 8, y + 2, w - 16, h * 0.42, h * 0.2);
  fFillVertical(cr, y + 2, y + 2 + h * 0.42, fWithAlpha(kWhite, 0.7), fWithAlpha(kWhite, 0.05));
  cairo_new_path(cr);
  shape(cr);
  if (focused) {
    fSetColour(cr, kWhite);
    cairo_set_line_width(cr, 3);
    cairo_stroke_preserve(cr);
    fSetColour(cr, disabled ? fHex(0xFF9838) : kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  } else {
    fSetColour(cr, disabled ? fHex(0x9AA0AB) : kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }

  // Icon ball on the left.
  const double iconX = x + h / 2.0 + 1, iconY = y + h / 2.0, iconR = focused ? 14.5 : 13.5;
  const SColour iconColour = disabled ? fGreyed(button.colour) : button.colour;
  fDrawBall(cr, iconX, iconY, iconR, iconColour, false);
  fDrawIcon(cr, button.icon, iconX, iconY, iconR);

  // Label.
  STextStyle text;
  text.family = "VL PGothic";
  text.pixels = 20;
  if (disabled) {
    text.fillTop = text.fillBottom = fHex(0x8A909B);
  } else if (focused) {
    text.outline = kInk;
    text.outlineWidth = 3.5;
  } else {
    text.fillTop = text.fillBottom = kInk;
  }
  fDrawText(canvas, button.label, text, iconX + iconR + 10, y + h / 2.0, EAlign::Left);

  // Mode buttons: a little cluster of the balls that clear together.
  static const double kCluster[5][4][2] = {{},
                                           {},
                                           {{-5.5, 0}, {5.5, 0}},
                                           {{0, -4.8}, {-5.5, 4.8}, {5.5, 4.8}},
                                           {{-5.5, -5.3}, {5.5, -5.3}, {-5.5, 5.3}, {5.5, 5.3}}};
  for (int i = 0; i < button.groupSize; ++i) {
    const double bx = x + w - 46 + kCluster[button.groupSize][i][0];
    const double by = y + h / 2.0 + kCluster[button.groupSize][i][1];
    fDrawBall(cr, bx, by, 5.6, disabled ? fGreyed(button.colour) : button.colour, false);
  }
  // The focused button points the way on.
  if (focused) {
    const double ax = x + w - 20, ay = y + h / 2.0;
    cairo_move_to(cr, ax - 5, ay - 7);
    cairo_line_to(cr, ax + 6, ay);
    cairo_line_to(cr, ax - 5, ay + 7);
    cairo_close_path(cr);
    fSetColour(cr, kWhite);
    cairo_fill_preserve(cr);
    fSetColour(cr, kInk);
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  }
  out.fWrite("image/ui_parts/" + fileName + ".png", canvas.fToPng());
}

void fMakeButtons(CAssetWriter& out) {
  const SButtonInfo buttons[] = {
      {"title_play", "ゲームスタート", "Start game", EIcon::Play, kBallColours[0].colour, 0},
      {"title_showreplay", "リプレイを見る", "Watch replays", EIcon::Replay, kBallColours[2].colour, 0},
      {"title_registranking", "ランキング登録", "Send high score", EIcon::Upload, kBallColours[1].colour, 0},
      {"title_showranking", "ランキングを見る", "Online ranking", EIcon::Crown, kBallColours[3].colour, 0},
      {"title_daily", "デイリーチャレンジ", "Daily challenge", EIcon::Calendar, kBallColours[5].colour, 0},
      {"title_option", "オプション", "Options", EIcon::Gear, kBallColours[4].colour, 0},
      {"title_howtoplay", "遊び方", "How to play", EIcon::Book, kBallColours[2].colour, 0},
      {"title_quit", "終了", "Quit", EIcon::Power, kBallColours[0].colour, 0},
      {"title_plimomode", "ぷりもモード", "Plimo mode", EIcon::Mode, kBallColours[5].colour, 2},
      {"title_yoikomode", "よいこモード", "Yoiko mode", EIcon::Mode, kBallColours[1].colour, 3},
      {"title_wanpakumode", "わんぱくモード", "Wanpaku mode", EIcon::Mode, kBallColours[0].colour, 4},
  };
  for (const SButtonInfo& japanese : buttons) {
    // Every picture twice: the game's own, and "_en" for English players.
    SButtonInfo english = japanese;
    english.label = japanese.englishLabel;
    for (const auto& [button, suffix] : {std::pair{japanese, ""}, std::pair{english, "_en"}}) {
      const std::string name = button.name;
      fDrawButton(out, button, ELook::Normal, name + suffix);
      fDrawButton(out, button, ELook::Focused, name + "_f" + suffix);
      // Replay and registration grey out when there is nothing to show or send.
      if (name == "title_showreplay" || name == "title_registranking") {
        fDrawButton(out, button, ELook::Disabled, name + "_ng" + suffix);
        fDrawButton(out, button, ELook::DisabledFocused, name + "_f_ng" + suffix);
      }
    }
  }
}

// 128 x 128 and seamless: stripes at 45 degrees every 32 pixels and balls on
// a lattice that repeats with the tile (drawn with their wrapped copies).
void fMakeMenuBackground(CAssetWriter& out) {
  constexpr int kTile = 128;
  CCanvas canvas(kTile, kTile);
  cairo_t* cr = canvas.fCr();
  fSetColour(cr, fHex(0xCDEBFF));
  cairo_paint(cr);
  fSetColour(cr, fHex(0xDDF2FF));
  for (int k = -kTile; k < 2 * kTile; k += 32) {
    cairo_move_to(cr, k, 0);
    cairo_line_to(cr, k + 16, 0);
    cairo_line_to(cr, k + 16 - kTile, kTile);
    cairo_line_to(cr, k - kTile, kTile);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  struct SDot {
    double x, y, r;
    int colour;
  };
  const SDot dots[] = {{20, 24, 9, 0}, {84, 40, 7, 3}, {52, 92, 9, 1}, {112, 108, 6, 5}, {116, 4, 5, 4}, {6, 78, 6, 2}};
  for (const SDot& dot : dots) {
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        const SColour c = fMix(kBallColours[dot.colour].colour, fHex(0xCDEBFF), 0.55);
        fDrawBall(cr, dot.x + dx * kTile, dot.y + dy * kTile, dot.r, c, false);
      }
    }
  }
  out.fWrite("image/ui_parts/menu_bg.png", canvas.fToPng());
}

// Nine-slice sources, 64 x 64 with 20-pixel borders: the middle row and
// column must be uniform along their length so tiling shows no seams.
void fMakeWindowFrames(CAssetWriter& out) {
  {
    CCanvas canvas(64, 64);
    cairo_t* cr = canvas.fCr();
    fRoundedRect(cr, 2, 2, 60, 60, 13);
    fSetColour(cr, fHex(0x1C2656));
    cairo_fill(cr);
    out.fWrite("image/ui_parts/window1_bg.png", canvas.fToPng());
  }
  {
    CCanvas canvas(64, 64);
    cairo_t* cr = canvas.fCr();
    fRoundedRect(cr, 3, 3, 58, 58, 12);
    fSetColour(cr, kInk);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    fRoundedRect(cr, 3, 3, 58, 58, 12);
    fSetColour(cr, kCream);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    fRoundedRect(cr, 8.5, 8.5, 47, 47, 7);
    fSetColour(cr, fWithAlpha(kSkyTop, 0.75));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    out.fWrite("image/ui_parts/window1_waku.png", canvas.fToPng());
  }
}

// A triangle pointing along `angle` (0: right), filling the canvas: `length`
// along that direction, `breadth` across it.
void fArrow(CAssetWriter& out, const std::string& name, int w, int h, double angle) {
  CCanvas canvas(w, h);
  cairo_t* cr = canvas.fCr();
  cairo_translate(cr, w / 2.0, h / 2.0);
  cairo_rotate(cr, angle);
  const bool upright = std::fabs(std::sin(angle)) > 0.5;
  const double length = (upright ? h : w) / 2.0 - 1.8, breadth = (upright ? w : h) / 2.0 - 1.8;
  cairo_move_to(cr, -0.8 * length, -breadth);
  cairo_line_to(cr, length, 0);
  cairo_line_to(cr, -0.8 * length, breadth);
  cairo_close_path(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  fSetColour(cr, kInk);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* fill = cairo_pattern_create_linear(-length, -breadth, length, breadth);
  cairo_pattern_add_color_stop_rgb(fill, 0, 1.0, 0.94, 0.55);
  cairo_pattern_add_color_stop_rgb(fill, 1, 1.0, 0.6, 0.2);
  cairo_set_source(cr, fill);
  cairo_fill(cr);
  cairo_pattern_destroy(fill);
  out.fWrite("image/ui_parts/" + name, canvas.fToPng());
}

}  // namespace

void fMakeMenuPictures(CAssetWriter& out) {
  fMakeButtons(out);
  fMakeMenuBackground(out);
  fMakeWindowFrames(out);
  // Sizes fit where they are drawn: the page arrows at 16 pixels in from the
  // list window's edge, the next-page arrow 15 pixels above a window's bottom.
  fArrow(out, "cursor_right.png", 16, 16, 0.0);
  fArrow(out, "cursor_left.png", 16, 16, kPi);
  fArrow(out, "cursor_down.png", 16, 12, kPi / 2.0);
}
