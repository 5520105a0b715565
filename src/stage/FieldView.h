// What the field view works out from the rules for the player to read the
// box: which balls hide the piece from the camera, how high each column
// stands (the map beside the box), where a column shows on that map for the
// camera's side, and where the landing ghost stands while the field moves.
#pragma once

#include <set>
#include <vector>

#include "gamelib/GameLib.h"
#include "rules/CStageRules.h"

// The ids of the balls between the camera and the piece or its landing cell:
// drawn see-through so that the piece reads. None without a piece.
std::set<int> fBallsHidingPiece(const CStageRules& rules, VECTOR camera, double originA, double originB);

// The columns (index a + W * b) the piece can still be moved into from
// where it is, its own among them: those whose cell at the piece's layer
// (and the one below while it falls) can be reached one free step at a time.
// None without a piece.
std::vector<int> fReachableColumns(const CStageRules& rules);

// The balls that hide the piece, or any cell of a column it can reach from
// the floor up to where it would land there (as the rules' landing search
// finds it); a column's own balls never hide it. Drawn see-through, so that
// every column the piece may go to reads however full the box is.
std::set<int> fBallsHidingReach(const CStageRules& rules, VECTOR camera, double originA, double originB);

// The height of each column (index a + W * b): the layer above its highest
// ball, the piece left out.
std::vector<int> fColumnHeights(const CStageRules& rules);

// Where column (a, b) shows on the top-down map as the camera at
// cameraAngle (degrees, taken to its nearest quarter) sees the box: map
// column `x` grows to the screen's right, map row `y` towards the camera.
struct SMapPlace {
  int x = 0;
  int y = 0;
  bool operator==(const SMapPlace&) const = default;
};
SMapPlace fMapPlace(int a, int b, int W, int D, double cameraAngle);
// The map's size in cells for that camera: W x D, or D x W when turned a quarter.
SMapPlace fMapSize(int W, int D, double cameraAngle);

// The layer (fractional while the field falls) the landing ghost is drawn
// on: one above what stands under the piece as it is drawn now, so that
// the ghost comes down with a column that is falling after a clear.
double fGhostLayer(const CStageRules& rules);
