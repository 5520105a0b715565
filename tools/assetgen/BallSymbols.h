// The symbols of the "Ball symbols" option: one shape per ball colour
// (Palette.h names it), as an outline shared by the ball pictures and the
// symbol models, so both show the same shape.
#pragma once

#include <vector>

#include "MqoWriter.h"
#include "Palette.h"

struct SPoint2 {
  double x = 0.0;
  double y = 0.0;  // up
};

// The symbol's outline within the unit circle, counter-clockwise, every
// point seen from the origin in turn (a fan from the origin covers it).
// Empty for EBallSymbol::None.
std::vector<SPoint2> fSymbolOutline(EBallSymbol symbol);

// The symbol laid on a ball of radius `radius` centred on the origin: on
// its top and its four sides, white with a dark rim, lifted just off the
// surface. Adds two materials and one object to the document.
void fAddBallSymbol(SMqoDocument& document, EBallSymbol symbol, double radius);
