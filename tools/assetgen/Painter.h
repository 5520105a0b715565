// Cairo/Pango drawing helpers shared by all the pictures: canvases that save
// as PNG, rounded shapes, gradients, blurred drop shadows, outlined text and
// the shaded ball.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Palette.h"

// An ARGB surface, transparent when made.
class CCanvas {
 public:
  CCanvas(int width, int height);
  ~CCanvas();
  CCanvas(const CCanvas&) = delete;
  CCanvas& operator=(const CCanvas&) = delete;

  cairo_t* fCr() const { return mCr; }
  cairo_surface_t* fSurface() const { return mSurface; }
  int fWidth() const { return mWidth; }
  int fHeight() const { return mHeight; }
  // PNG bytes (with alpha); no time stamp is written, so equal pictures give
  // equal files.
  std::vector<uint8_t> fToPng() const;

 private:
  int mWidth;
  int mHeight;
  cairo_surface_t* mSurface;
  cairo_t* mCr;
};

using FPath = std::function<void(cairo_t*)>;

void fSetColour(cairo_t* cr, SColour c);
void fRoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Fills the current path with a vertical gradient (the path is kept).
void fFillVertical(cairo_t* cr, double y0, double y1, SColour top, SColour bottom);
// Paints the shape blurred (a soft shadow or glow) under what follows.
void fDrawShadow(CCanvas& canvas, const FPath& shape, double dx, double dy, double blur, SColour colour);

enum class EAlign { Left, Centre, Right };

struct STextStyle {
  std::string family = "DejaVu Sans";
  bool bold = true;
  double pixels = 24.0;
  SColour fillTop = palette::kWhite;
  SColour fillBottom = palette::kWhite;
  SColour outline = palette::kInk;
  double outlineWidth = 0.0;  // total stroke width, half of it outside the glyphs
  SColour outer = palette::kWhite;
  double outerWidth = 0.0;  // a second, wider stroke behind the outline
  SColour shadow = fWithAlpha(palette::kBlack, 0.0);
  double shadowDx = 0.0, shadowDy = 0.0, shadowBlur = 0.0;
};

struct SInk {
  double x = 0, y = 0, width = 0, height = 0;
};

// The ink box of the text at the origin (as Pango measures it).
SInk fMeasureText(const std::string& text, const STextStyle& style);
// Appends the outline of the text to the current path, placed as fDrawText
// places it (for effects built from several texts at once).
void fTextPath(cairo_t* cr, const std::string& text, const STextStyle& style, double x, double cy, EAlign align);
// Draws the text with its ink box aligned at x (left, centre or right edge)
// and vertically centred on cy.
void fDrawText(CCanvas& canvas, const std::string& text, const STextStyle& style, double x, double cy,
               EAlign align);

// The game's name in bouncing letters of the ball colours, centred on
// (cx, cy), letters `pixels` high.
void fDrawLogo(CCanvas& canvas, double cx, double cy, double pixels);

// The shaded ball of the pictures: glossy sphere lit from the upper left.
// Garbage balls get a bevelled cross.
void fDrawBall(cairo_t* cr, double cx, double cy, double radius, SColour base, bool garbage);
