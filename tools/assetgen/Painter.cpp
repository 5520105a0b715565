#include "Painter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

CCanvas::CCanvas(int width, int height)
    : mWidth(width),
      mHeight(height),
      mSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      mCr(cairo_create(mSurface)) {
  if (cairo_status(mCr) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo: cannot make a canvas");
}

CCanvas::~CCanvas() {
  cairo_destroy(mCr);
  cairo_surface_destroy(mSurface);
}

namespace {

cairo_status_t fAppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::vector<uint8_t> CCanvas::fToPng() const {
  cairo_surface_flush(mSurface);
  std::vector<uint8_t> bytes;
  if (cairo_surface_write_to_png_stream(mSurface, fAppendBytes, &bytes) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cairo: cannot encode a PNG");
  }
  return bytes;
}

void fSetColour(cairo_t* cr, SColour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void fRoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::min({radius, w / 2.0, h / 2.0});
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -pi / 2.0, 0.0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0.0, pi / 2.0);
  cairo_arc(cr, x + r, y + h - r, r, pi / 2.0, pi);
  cairo_arc(cr, x + r, y + r, r, pi, 3.0 * pi / 2.0);
  cairo_close_path(cr);
}

void fFillVertical(cairo_t* cr, double y0, double y1, SColour top, SColour bottom) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0.0, y0, 0.0, y1);
  cairo_pattern_add_color_stop_rgba(gradient, 0.0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(gradient, 1.0, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, gradient);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(gradient);
}

namespace {

// Three box blurs approximate a Gaussian; done on the alpha plane only.
void fBlurAlpha(cairo_surface_t* surface, int radius) {
  if (radius <= 0) return;
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface);
  const int h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<int> line(static_cast<size_t>(std::max(w, h)));
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) line[x] = data[y * stride + x];
      int sum = 0;
      for (int x = -radius; x <= radius; ++x) sum += line[std::clamp(x, 0, w - 1)];
      for (int x = 0; x < w; ++x) {
        data[y * stride + x] = static_cast<unsigned char>(sum / (2 * radius + 1));
        sum += line[std::clamp(x + radius + 1, 0, w - 1)] - line[std::clamp(x - radius, 0, w - 1)];
      }
    }
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h; ++y) line[y] = data[y * stride + x];
      int sum = 0;
      for (int y = -radius; y <= radius; ++y) sum += line[std::clamp(y, 0, h - 1)];
      for (int y = 0; y < h; ++y) {
        data[y * stride + x] = static_cast<unsigned char>(sum / (2 * radius + 1));
        sum += line[std::clamp(y + radius + 1, 0, h - 1)] - line[std::clamp(y - radius, 0, h - 1)];
      }
    }
  }
  cairo_surface_mark_dirty(surface);
}

}  // namespace

void fDrawShadow(CCanvas& canvas, const FPath& shape, double dx, double dy, double blur, SColour colour) {
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, canvas.fWidth(), canvas.fHeight());
  cairo_t* mcr = cairo_create(mask);
  cairo_translate(mcr, dx, dy);
  shape(mcr);
  cairo_set_source_rgba(mcr, 0, 0, 0, 1);
  cairo_fill(mcr);
  cairo_destroy(mcr);
  fBlurAlpha(mask, static_cast<int>(std::lround(blur / 2.0)));
  cairo_t* cr = canvas.fCr();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  fSetColour(cr, colour);
  cairo_mask_surface(cr, mask, 0, 0);
  cairo_restore(cr);
  cairo_surface_destroy(mask);
}

namespace {

PangoLayout* fMakeLayout(cairo_t* cr, const std::string& text, const STextStyle& style) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  // Unhinted outlines: the same shapes at any position, and smooth curves.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
  pango_layout_context_changed(layout);
  cairo_font_options_destroy(options);
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, style.family.c_str());
  pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(font, style.pixels * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text.c_str(), -1);
  return layout;
}

}  // namespace

SInk fMeasureText(const std::string& text, const STextStyle& style) {
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  PangoLayout* layout = fMakeLayout(cr, text, style);
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return {static_cast<double>(ink.x), static_cast<double>(ink.y), static_cast<double>(ink.width),
          static_cast<double>(ink.height)};
}

void fTextPath(cairo_t* cr, const std::string& text, const STextStyle& style, double x, double cy, EAlign align) {
  PangoLayout* layout = fMakeLayout(cr, text, style);
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  double left = x;
  if (align == EAlign::Centre) left = x - ink.width / 2.0;
  if (align == EAlign::Right) left = x - ink.width;
  cairo_move_to(cr, left - ink.x, cy - ink.height / 2.0 - ink.y);
  pango_cairo_layout_path(cr, layout);
  g_object_unref(layout);
}

void fDrawText(CCanvas& canvas, const std::string& text, const STextStyle& style, double x, double cy,
               EAlign align) {
  cairo_t* cr = canvas.fCr();
  PangoLayout* layout = fMakeLayout(cr, text, style);
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  double left = x;
  if (align == EAlign::Centre) left = x - ink.width / 2.0;
  if (align == EAlign::Right) left = x - ink.width;
  const double ox = left - ink.x;
  const double oy = cy - ink.height / 2.0 - ink.y;
  auto path = [&](cairo_t* target) {
    cairo_move_to(target, ox, oy);
    pango_cairo_layout_path(target, layout);
  };
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (style.shadow.a > 0.0) {
    const double spread = std::max(style.outerWidth, style.outlineWidth);
    fDrawShadow(
        canvas,
        [&](cairo_t* target) {
          path(target);
          if (spread > 0.0) {
            cairo_set_line_width(target, spread);
            cairo_set_line_join(target, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke_preserve(target);
          }
        },
        style.shadowDx, style.shadowDy, style.shadowBlur, style.shadow);
  }
  cairo_new_path(cr);
  path(cr);
  if (style.outerWidth > 0.0) {
    fSetColour(cr, style.outer);
    cairo_set_line_width(cr, style.outerWidth);
    cairo_stroke_preserve(cr);
  }
  if (style.outlineWidth > 0.0) {
    fSetColour(cr, style.outline);
    cairo_set_line_width(cr, style.outlineWidth);
    cairo_stroke_preserve(cr);
  }
  fFillVertical(cr, cy - ink.height / 2.0, cy + ink.height / 2.0, style.fillTop, style.fillBottom);
  cairo_new_path(cr);
  cairo_restore(cr);
  g_object_unref(layout);
}

void fDrawBall(cairo_t* cr, double cx, double cy, double radius, SColour base, bool garbage) {
  const double r = radius;
  cairo_save(cr);
  // Body: lit from the upper left, darkening towards the far rim.
  cairo_pattern_t* body = cairo_pattern_create_radial(cx - 0.35 * r, cy - 0.4 * r, 0.0, cx - 0.2 * r, cy - 0.2 * r, 1.25 * r);
  const SColour light = fMix(base, palette::kWhite, 0.55);
  const SColour dark = fShade(base, 0.55);
  cairo_pattern_add_color_stop_rgb(body, 0.0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(body, 0.38, base.r, base.g, base.b);
  cairo_pattern_add_color_stop_rgb(body, 0.82, fShade(base, 0.78).r, fShade(base, 0.78).g, fShade(base, 0.78).b);
  cairo_pattern_add_color_stop_rgb(body, 1.0, dark.r, dark.g, dark.b);
  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * std::numbers::pi);
  cairo_set_source(cr, body);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(body);

  // Bounce light along the lower right rim.
  cairo_save(cr);
  cairo_clip_preserve(cr);
  cairo_pattern_t* rim = cairo_pattern_create_linear(cx - 0.2 * r, cy - 0.2 * r, cx + 0.8 * r, cy + 0.8 * r);
  const SColour rimColour = fMix(base, palette::kWhite, 0.5);
  cairo_pattern_add_color_stop_rgba(rim, 0.0, rimColour.r, rimColour.g, rimColour.b, 0.0);
  cairo_pattern_add_color_stop_rgba(rim, 1.0, rimColour.r, rimColour.g, rimColour.b, 0.55);
  cairo_set_source(cr, rim);
  cairo_set_line_width(cr, 0.22 * r);
  cairo_stroke_preserve(cr);
  cairo_pattern_destroy(rim);
  cairo_restore(cr);

  if (garbage) {
    // A bevelled cross: light groove edge first, the dark groove over it.
    const double arm = 0.42 * r;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int layer = 0; layer < 2; ++layer) {
      const double offset = layer == 0 ? 0.06 * r : 0.0;
      fSetColour(cr, layer == 0 ? fWithAlpha(palette::kWhite, 0.5) : fShade(base, 0.42));
      cairo_set_line_width(cr, 0.2 * r);
      cairo_move_to(cr, cx - arm + offset, cy - arm + offset);
      cairo_line_to(cr, cx + arm + offset, cy + arm + offset);
      cairo_move_to(cr, cx + arm + offset, cy - arm + offset);
      cairo_line_to(cr, cx - arm + offset, cy + arm + offset);
      cairo_stroke(cr);
    }
  }

  // Specular highlight.
  cairo_save(cr);
  cairo_translate(cr, cx - 0.34 * r, cy - 0.44 * r);
  cairo_rotate(cr, -0.6);
  cairo_scale(cr, 0.36 * r, 0.2 * r);
  cairo_pattern_t* shine = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1.0);
  cairo_pattern_add_color_stop_rgba(shine, 0.0, 1, 1, 1, 0.95);
  cairo_pattern_add_color_stop_rgba(shine, 0.6, 1, 1, 1, 0.55);
  cairo_pattern_add_color_stop_rgba(shine, 1.0, 1, 1, 1, 0.0);
  cairo_arc(cr, 0, 0, 1.0, 0, 2.0 * std::numbers::pi);
  cairo_set_source(cr, shine);
  cairo_fill(cr);
  cairo_pattern_destroy(shine);
  cairo_restore(cr);

  // Outline keeps the ball readable on any background.
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, r, 0.0, 2.0 * std::numbers::pi);
  fSetColour(cr, fShade(base, 0.38));
  cairo_set_line_width(cr, std::max(1.0, 0.07 * r));
  cairo_stroke(cr);
  cairo_restore(cr);
}

// "PlimoBall" in bouncing letters of the ball colours. All letters share
// each layer (shadow, white edge, dark edge, fill) so no letter's edge cuts
// into its neighbour.
void fDrawLogo(CCanvas& canvas, double cx, double cy, double pixels) {
  const std::string word = "PlimoBall";
  const int colours[] = {0, 3, 1, 5, 2, 4, 0, 3, 1};
  STextStyle style;
  style.pixels = pixels;
  const double outline = pixels * 0.11, outer = pixels * 0.24;
  std::vector<double> advance;
  double total = 0;
  for (char letter : word) {
    const double w = fMeasureText(std::string(1, letter), style).width + pixels * 0.055;
    advance.push_back(w);
    total += w;
  }
  // Appends letter i (or all when i < 0) to the path of `cr`.
  auto letters = [&](cairo_t* cr, int only) {
    double x = cx - total / 2.0;
    for (size_t i = 0; i < word.size(); ++i) {
      const double lx = x + advance[i] / 2.0;
      const double ly = cy + pixels * 0.087 * std::sin(i * 1.3);
      x += advance[i];
      if (only >= 0 && static_cast<size_t>(only) != i) continue;
      cairo_save(cr);
      cairo_translate(cr, lx, ly);
      cairo_rotate(cr, 0.07 * std::sin(i * 2.1 + 0.5));
      fTextPath(cr, std::string(1, word[i]), style, 0, 0, EAlign::Centre);
      cairo_restore(cr);
    }
  };
  cairo_t* cr = canvas.fCr();
  cairo_save(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  fDrawShadow(
      canvas,
      [&](cairo_t* t) {
        letters(t, -1);
        cairo_set_line_width(t, outer);
        cairo_set_line_join(t, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(t);
      },
      pixels * 0.033, pixels * 0.076, pixels * 0.087, fWithAlpha(fHex(0x16305A), 0.5));
  letters(cr, -1);
  fSetColour(cr, palette::kWhite);
  cairo_set_line_width(cr, outer);
  cairo_stroke(cr);
  letters(cr, -1);
  fSetColour(cr, palette::kInk);
  cairo_set_line_width(cr, outline);
  cairo_stroke(cr);
  for (size_t i = 0; i < word.size(); ++i) {
    const SColour c = kBallColours[colours[i]].colour;
    letters(cr, static_cast<int>(i));
    fFillVertical(cr, cy - pixels * 0.43, cy + pixels * 0.43, fMix(c, palette::kWhite, 0.5), fShade(c, 0.9));
    cairo_new_path(cr);
  }
  // A glossy streak across the upper half of every letter.
  cairo_save(cr);
  letters(cr, -1);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, cy - pixels * 0.54, canvas.fWidth(), pixels * 0.41);
  fFillVertical(cr, cy - pixels * 0.54, cy - pixels * 0.13, fWithAlpha(palette::kWhite, 0.55), fWithAlpha(palette::kWhite, 0.0));
  cairo_new_path(cr);
  cairo_restore(cr);
  cairo_restore(cr);
}

