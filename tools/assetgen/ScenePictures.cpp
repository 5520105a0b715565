#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "Painter.h"
#include "Pictures.h"

namespace {

using namespace palette;

constexpr double kPi = std::numbers::pi;
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

void fSky(cairo_t* cr, double horizon) {
  cairo_rectangle(cr, 0, 0, kScreenWidth, kScreenHeight);
  fFillVertical(cr, 0, horizon, kSkyTop, kSkyBottom);
  cairo_new_path(cr);
}

// Soft sun rays fanning from a point (gives the title its energy).
void fRays(cairo_t* cr, double cx, double cy, int count, double alpha) {
  cairo_save(cr);
  for (int i = 0; i < count; ++i) {
    const double a0 = 2 * kPi * i / count, a1 = a0 + kPi / count;
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + 900 * std::cos(a0), cy + 900 * std::sin(a0));
    cairo_line_to(cr, cx + 900 * std::cos(a1), cy + 900 * std::sin(a1));
    cairo_close_path(cr);
  }
  cairo_pattern_t* fade = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 520);
  cairo_pattern_add_color_stop_rgba(fade, 0, 1, 1, 1, alpha);
  cairo_pattern_add_color_stop_rgba(fade, 1, 1, 1, 1, 0);
  cairo_set_source(cr, fade);
  cairo_fill(cr);
  cairo_pattern_destroy(fade);
  cairo_restore(cr);
}

void fCloud(CCanvas& canvas, double x, double y, double scale) {
  auto shape = [=](cairo_t* cr) {
    const double blobs[][3] = {{0, 0, 22}, {24, -10, 26}, {50, -2, 20}, {68, 6, 14}, {-18, 8, 13}};
    for (const auto& b : blobs) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, x + b[0] * scale, y + b[1] * scale, b[2] * scale, 0, 2 * kPi);
    }
    cairo_new_sub_path(cr);
    fRoundedRect(cr, x - 22 * scale, y, 100 * scale, 22 * scale, 11 * scale);
  };
  fDrawShadow(canvas, shape, 0, 4 * scale, 6 * scale, fWithAlpha(fHex(0x6A9CC8), 0.35));
  cairo_t* cr = canvas.fCr();
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  shape(cr);
  fFillVertical(cr, y - 36 * scale, y + 22 * scale, kWhite, fHex(0xE4F1FB));
  cairo_new_path(cr);
}

// Rolling hills along the bottom, in two layers.
void fHills(cairo_t* cr, double base, double amplitude, SColour back, SColour front) {
  for (int layer = 0; layer < 2; ++layer) {
    const double y0 = base + layer * 26;
    cairo_move_to(cr, 0, kScreenHeight);
    for (int x = 0; x <= kScreenWidth; x += 4) {
      const double y = y0 - amplitude * (layer == 0 ? std::sin(x * 0.012 + 0.8) : std::sin(x * 0.017 + 2.4)) -
                       amplitude * 0.4 * std::sin(x * 0.031 + layer);
      cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, kScreenWidth, kScreenHeight);
    cairo_close_path(cr);
    const SColour c = layer == 0 ? back : front;
    fFillVertical(cr, y0 - amplitude, kScreenHeight, fMix(c, kWhite, 0.15), fShade(c, 0.85));
    fSetColour(cr, fShade(c, 0.75));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
}

// Isometric helper for the title's box: cell units to screen pixels.
struct SIso {
  double ox, oy, s;
  void fPoint(double x, double y, double z, double& sx, double& sy) const {
    sx = ox + (x - y) * 0.866 * s;
    sy = oy + (x + y) * 0.5 * s - z * s;
  }
};

void fIsoQuad(cairo_t* cr, const SIso& iso, const double (&p)[4][3]) {
  for (int i = 0; i < 4; ++i) {
    double sx, sy;
    iso.fPoint(p[i][0], p[i][1], p[i][2], sx, sy);
    if (i == 0) cairo_move_to(cr, sx, sy); else cairo_line_to(cr, sx, sy);
  }
  cairo_close_path(cr);
}

// The game's box: a 3 x 3 turf floor, brick walls at the back, glass at the
// front, and balls stacked inside.
void fTitleBox(CCanvas& canvas, const SIso& iso) {
  cairo_t* cr = canvas.fCr();
  const double n = 3, height = 3.2;
  // Shadow under the box.
  double cx, cy;
  iso.fPoint(n / 2, n / 2, 0, cx, cy);
  fDrawShadow(canvas, [&](cairo_t* t) { cairo_save(t); cairo_translate(t, cx, cy + 16); cairo_scale(t, 1.9, 0.8);
                                         cairo_arc(t, 0, 0, iso.s * 1.6, 0, 2 * kPi); cairo_restore(t); },
              0, 0, 14, fWithAlpha(fHex(0x1F5A20), 0.45));
  // Earth block under the turf.
  const double d = 0.7;
  fIsoQuad(cr, iso, {{n, 0, 0}, {n, n, 0}, {n, n, -d}, {n, 0, -d}});
  fSetColour(cr, fShade(kEarth, 0.8));
  cairo_fill(cr);
  fIsoQuad(cr, iso, {{0, n, 0}, {n, n, 0}, {n, n, -d}, {0, n, -d}});
  fSetColour(cr, kEarth);
  cairo_fill(cr);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      fIsoQuad(cr, iso, {{1.0 * i, 1.0 * j, 0}, {i + 1.0, 1.0 * j, 0}, {i + 1.0, j + 1.0, 0}, {1.0 * i, j + 1.0, 0}});
      fSetColour(cr, (i + j) % 2 == 0 ? kGrass : fMix(kGrass, kGrassDark, 0.3));
      cairo_fill(cr);
    }
  }
  // Back walls: bricks.
  auto wall = [&](bool alongX) {
    for (int row = 0; row < 6; ++row) {
      const double z0 = row * height / 6, z1 = z0 + height / 6;
      const double shift = row % 2 == 0 ? 0.0 : 0.5;
      for (double u = -shift; u < n; u += 1.0) {
        const double u0 = std::max(u, 0.0) + 0.04, u1 = std::min(u + 1.0, n) - 0.04;
        if (u1 <= u0) continue;
        const double z0i = z0 + 0.04, z1i = z1 - 0.04;
        if (alongX) fIsoQuad(cr, iso, {{u0, 0, z0i}, {u1, 0, z0i}, {u1, 0, z1i}, {u0, 0, z1i}});
        else fIsoQuad(cr, iso, {{0, u0, z0i}, {0, u1, z0i}, {0, u1, z1i}, {0, u0, z1i}});
        const int variant = (row * 7 + static_cast<int>((u + 1) * 3)) % 3;
        const SColour brick = variant == 0 ? fHex(0xC8553D) : variant == 1 ? fHex(0xB54A36) : fHex(0xD66A48);
        fSetColour(cr, alongX ? brick : fShade(brick, 0.85));
        cairo_fill(cr);
      }
    }
  };
  fIsoQuad(cr, iso, {{0, 0, 0}, {n, 0, 0}, {n, 0, height}, {0, 0, height}});
  fSetColour(cr, fHex(0xE6DCC8));
  cairo_fill(cr);
  fIsoQuad(cr, iso, {{0, 0, 0}, {0, n, 0}, {0, n, height}, {0, 0, height}});
  fSetColour(cr, fShade(fHex(0xE6DCC8), 0.85));
  cairo_fill(cr);
  wall(true);
  wall(false);

  // Balls, far to near.
  struct SBallAt {
    int x, y, z, colour;
  };
  std::vector<SBallAt> balls = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 3}, {0, 1, 0, 2}, {1, 1, 0, 5},
                                {2, 1, 0, 3}, {0, 2, 0, 6}, {1, 2, 0, 1}, {2, 2, 0, 4}, {0, 0, 1, 2},
                                {1, 0, 1, 4}, {0, 1, 1, 1}, {1, 2, 2, 5}};
  std::sort(balls.begin(), balls.end(), [](const SBallAt& a, const SBallAt& b) {
    if (a.x + a.y != b.x + b.y) return a.x + a.y < b.x + b.y;
    return a.z < b.z;
  });
  for (const SBallAt& ball : balls) {
    double sx, sy;
    iso.fPoint(ball.x + 0.5, ball.y + 0.5, ball.z + 0.5, sx, sy);
    fDrawBall(cr, sx, sy, iso.s * 0.5, kBallColours[ball.colour].colour, kBallColours[ball.colour].garbage);
  }
  // Front glass and the frame edges.
  fIsoQuad(cr, iso, {{n, 0, 0}, {n, n, 0}, {n, n, height}, {n, 0, height}});
  fSetColour(cr, fWithAlpha(fHex(0xBFE8FF), 0.18));
  cairo_fill(cr);
  fIsoQuad(cr, iso, {{0, n, 0}, {n, n, 0}, {n, n, height}, {0, n, height}});
  fSetColour(cr, fWithAlpha(fHex(0xBFE8FF), 0.25));
  cairo_fill(cr);
  const double edges[][2][3] = {{{0, 0, height}, {n, 0, height}}, {{n, 0, height}, {n, n, height}},
                                {{n, n, height}, {0, n, height}}, {{0, n, height}, {0, 0, height}},
                                {{n, 0, 0}, {n, 0, height}},      {{n, n, 0}, {n, n, height}},
                                {{0, n, 0}, {0, n, height}},      {{n, 0, 0}, {n, n, 0}},
                                {{0, n, 0}, {n, n, 0}}};
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& e : edges) {
      double x0, y0, x1, y1;
      iso.fPoint(e[0][0], e[0][1], e[0][2], x0, y0);
      iso.fPoint(e[1][0], e[1][1], e[1][2], x1, y1);
      cairo_move_to(cr, x0, y0);
      cairo_line_to(cr, x1, y1);
    }
    fSetColour(cr, pass == 0 ? kInk : kCream);
    cairo_set_line_width(cr, pass == 0 ? 5 : 2.5);
    cairo_stroke(cr);
  }
}

// The rows and columns a layer paints solidly (alpha over one half):
// left, top, right, bottom; all -1 when it paints nothing.
struct SInkBounds {
  int left = -1, top = -1, right = -1, bottom = -1;
};
SInkBounds fSolidBounds(const CCanvas& layer) {
  cairo_surface_flush(layer.fSurface());
  const unsigned char* data = cairo_image_surface_get_data(layer.fSurface());
  const int stride = cairo_image_surface_get_stride(layer.fSurface());
  SInkBounds bounds;
  for (int y = 0; y < layer.fHeight(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < layer.fWidth(); ++x) {
      if ((row[x] >> 24) < 128) continue;
      if (bounds.left < 0 || x < bounds.left) bounds.left = x;
      if (bounds.top < 0) bounds.top = y;
      bounds.right = std::max(bounds.right, x);
      bounds.bottom = y;
    }
  }
  return bounds;
}

void fPaintLayer(cairo_t* cr, const CCanvas& layer) {
  cairo_set_source_surface(cr, layer.fSurface(), 0, 0);
  cairo_paint(cr);
}

void fTitle(CAssetWriter& out) {
  CCanvas canvas(kScreenWidth, kScreenHeight);
  cairo_t* cr = canvas.fCr();
  fSky(cr, 400);
  fRays(cr, 320, 110, 18, 0.22);
  fCloud(canvas, 60, 210, 0.9);
  fCloud(canvas, 520, 60, 0.7);
  fCloud(canvas, 250, 250, 0.55);
  fCloud(canvas, 40, 40, 0.5);
  fHills(cr, 392, 14, fHex(0x9BD770), kGrass);

  // The box stands right of the subtitle and below the logo. Both are drawn
  // on layers of their own first, so that a layout where they meet is
  // refused here rather than shipped.
  CCanvas box(kScreenWidth, kScreenHeight);
  fTitleBox(box, SIso{530, 300, 34});
  CCanvas logo(kScreenWidth, kScreenHeight);
  fDrawLogo(logo, kScreenWidth / 2.0, 110, 92);
  const SInkBounds logoInk = fSolidBounds(logo);
  const SInkBounds boxInk = fSolidBounds(box);
  constexpr int kTitleGap = 12;
  const bool meet = logoInk.left - kTitleGap < boxInk.right && boxInk.left < logoInk.right + kTitleGap &&
                    logoInk.top - kTitleGap < boxInk.bottom && boxInk.top < logoInk.bottom + kTitleGap;
  if (meet) {
    throw std::runtime_error("title.png: the logo (bottom " + std::to_string(logoInk.bottom) + ", right " +
                             std::to_string(logoInk.right) + ") comes within " + std::to_string(kTitleGap) +
                             " pixels of the box (top " + std::to_string(boxInk.top) + ", left " +
                             std::to_string(boxInk.left) + ")");
  }
  fPaintLayer(cr, box);

  // Balls bouncing about on the left.
  const double arc[][4] = {{70, 330, 22, 0}, {140, 300, 18, 3}, {40, 420, 20, 5}, {118, 410, 16, 2}, {190, 330, 14, 4}};
  for (const auto& b : arc) {
    fDrawShadow(canvas, [&](cairo_t* t) { cairo_arc(t, b[0], b[1], b[2], 0, 2 * kPi); }, 2, 5, 6,
                fWithAlpha(kInk, 0.3));
    fDrawBall(cr, b[0], b[1], b[2], kBallColours[static_cast<int>(b[3])].colour, false);
  }

  fPaintLayer(cr, logo);
  // Subtitle ribbon.
  {
    auto ribbon = [](cairo_t* t) { fRoundedRect(t, 188, 176, 264, 30, 15); };
    fDrawShadow(canvas, ribbon, 0, 3, 4, fWithAlpha(kInk, 0.35));
    ribbon(cr);
    fFillVertical(cr, 176, 206, kNavyLight, kNavy);
    fSetColour(cr, kWhite);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    STextStyle sub;
    sub.pixels = 15;
    sub.fillTop = kWhite;
    sub.fillBottom = fHex(0xCFE0FF);
    fDrawText(canvas, "3D  FALLING  BALL  PUZZLE", sub, 320, 191, EAlign::Centre);
  }
  // A calm, dark pill behind the blinking "Press Z Key" (drawn by the game
  // at (210, 360) in pale lavender with a thin dark edge).
  {
    STextStyle prompt;
    prompt.family = "VL Gothic";
    prompt.pixels = 28;
    const SInk ink = fMeasureText("Press Z Key", prompt);
    const double left = 210 - 20, width = ink.x + ink.width + 40, top = 352, height = 46;
    auto pill = [&](cairo_t* t) { fRoundedRect(t, left, top, width, height, height / 2); };
    fDrawShadow(canvas, pill, 0, 3, 6, fWithAlpha(kInk, 0.3));
    pill(cr);
    fSetColour(cr, fWithAlpha(kNavy, 0.72));
    cairo_fill_preserve(cr);
    fSetColour(cr, fWithAlpha(kWhite, 0.8));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  out.fWrite("image/title.png", canvas.fToPng());
}

// The stage background. The 3D box is drawn over the left part (its centre
// at screen (200, 380)); the side panel covers x >= 374.
void fStageBackground(CAssetWriter& out) {
  CCanvas canvas(kScreenWidth, kScreenHeight);
  cairo_t* cr = canvas.fCr();
  fSky(cr, 420);
  fRays(cr, 190, 250, 14, 0.12);
  // Big pale bubbles for depth.
  const double bubbles[][4] = {{40, 150, 46, 0}, {320, 120, 34, 3}, {90, 300, 28, 5}, {300, 260, 40, 1}, {200, 80, 24, 4}};
  for (const auto& b : bubbles) {
    const SColour c = fMix(kBallColours[static_cast<int>(b[3])].colour, kWhite, 0.55);
    cairo_arc(cr, b[0], b[1], b[2], 0, 2 * kPi);
    fSetColour(cr, fWithAlpha(c, 0.35));
    cairo_fill_preserve(cr);
    fSetColour(cr, fWithAlpha(kWhite, 0.5));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  fCloud(canvas, 50, 105, 0.6);
  fCloud(canvas, 270, 190, 0.5);
  fHills(cr, 420, 12, fHex(0x9BD770), kGrass);
  out.fWrite("image/bg.png", canvas.fToPng());
}

}  // namespace

void fMakeScenePictures(CAssetWriter& out) {
  fTitle(out);
  fStageBackground(out);
}
