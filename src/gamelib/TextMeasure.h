// A text width that never falls short of the real fonts': the headless
// backend measures with it, so layouts checked without a window fit with
// one. The default face (the one that draws Japanese, VL Gothic here) sets
// every single-byte character in half the line height and every other one
// in the full height; a named face (DejaVu Sans Bold stands in for "Arial
// Black") is proportional, and each character counts as wide as the widest
// size of that face makes it.
#pragma once

#include <string_view>

struct STextFace {
  bool named = false;  // a face asked for by name; otherwise the default face
  int size = 16;       // the line height in pixels
  int thick = 0;
  int type = 0;  // DX_FONTTYPE_*
};

int fConservativeTextWidth(std::string_view text, const STextFace& face);
// Pixels an edged type draws beyond the text on every side.
int fTextEdgeMargin(const STextFace& face);
