// The 3D models of the stage, as Metasequoia text files directly under dat/.
//
// Axes are the game's world axes (x, y across the floor, z up; one cell is
// 32 units) and the loader must not swap any of them. Every model is placed
// by its origin:
//   plimo_<colour>[_h].mqo  a ball of radius 15 centred on the origin, poles
//                           on z. "_h" is the glowing look of balls that the
//                           landing preview marks: lighter, emissive, with a
//                           white band round the equator.
//   shibafu.mqo             a 32 x 32 x 32 turf block whose TOP face is at
//                           z = 0 (it spans z -32 .. 0). The stage places it
//                           at z = -16, so the floor is at -16: the bottom of
//                           layer 0, whose balls are centred at z = 0.
//   renga.mqo               a brick wall segment standing in the model's x-z
//                           plane: 32 wide (x -16 .. 16), 32 high (z -16 .. 16),
//                           4 thick (y -2 .. 2), the same from both faces: a
//                           solid slab textured with renga.png, which tiles
//                           across neighbouring cells. The stage draws the
//                           walls nearest the camera see-through.
//                           It faces +-y as it is: the walls on the y sides of
//                           the box need no rotation, those on the x sides a
//                           quarter turn about z.
//   waku.mqo                the twelve edges of a 32-cube centred on the origin.
#pragma once

#include "AssetWriter.h"
#include "MqoWriter.h"
#include "Palette.h"

// The ball models and pictures with the option's symbol on them:
// "plimo_<colour>[_h]_s.mqo" and "ui_parts/plimoball_<colour>_s.png".
inline constexpr const char* kSymbolSuffix = "_s";

// The brick wall's picture, beside the models (written by the pictures'
// side of the generator, which draws with Cairo).
inline constexpr const char* kBrickTexture = "renga.png";

SMqoDocument fBallModel(const SColour& colour, bool garbage, bool highlighted);
SMqoDocument fTurfModel();
SMqoDocument fBrickModel();
SMqoDocument fFrameModel();

void fMakeModels(CAssetWriter& out);
