#include "stage/FieldView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "stage/CPlimoBall.h"

namespace {

constexpr int kCell = 512;  // fall progress of one cell
// A ball hides the piece when its centre comes this close (world units) to
// the line from the camera to the piece: a little less than two radii, so
// that a ball barely touching the line of sight stays solid.
constexpr float kHidingDistance = 26.0f;

float fDot(VECTOR p, VECTOR q) { return p.x * q.x + p.y * q.y + p.z * q.z; }
VECTOR fMinus(VECTOR p, VECTOR q) { return VGet(p.x - q.x, p.y - q.y, p.z - q.z); }

// Whether `ball` lies near the segment from `camera` to `target`, short of the target.
bool fIsOnSightLine(VECTOR camera, VECTOR target, VECTOR ball) {
  const VECTOR sight = fMinus(target, camera);
  const float length2 = fDot(sight, sight);
  if (length2 <= 0.0f) return false;
  const float t = fDot(fMinus(ball, camera), sight) / length2;
  // Only what stands before the target: nearer the camera by at least a
  // ball's radius along the line.
  if (t <= 0.0f || t >= 1.0f - kHidingDistance / 2.0f / std::sqrt(length2)) return false;
  const VECTOR closest = VGet(camera.x + sight.x * t, camera.y + sight.y * t, camera.z + sight.z * t);
  const VECTOR off = fMinus(ball, closest);
  return fDot(off, off) < kHidingDistance * kHidingDistance;
}

// The quarter (0..3) nearest to an angle in degrees.
int fQuarter(double angle) {
  const int quarter = static_cast<int>(std::lround(angle / 90.0)) % 4;
  return quarter < 0 ? quarter + 4 : quarter;
}

}  // namespace

std::set<int> fBallsHidingPiece(const CStageRules& rules, VECTOR camera, double originA, double originB) {
  std::set<int> hiding;
  const SRuleBall* piece = rules.fPiece();
  if (piece == nullptr) return hiding;
  const VECTOR at = fBallWorldPosition(*piece, originA, originB);
  SRuleBall landed = *piece;
  landed.h = rules.fLandingLayer(piece->a, piece->b, piece->h);
  landed.progress = 0;
  const VECTOR landing = fBallWorldPosition(landed, originA, originB);
  for (const int slot : rules.balls) {
    const SRuleBall& ball = rules.fBall(slot);
    if (!ball.alive || slot == rules.piece) continue;
    const VECTOR where = fBallWorldPosition(ball, originA, originB);
    if (fIsOnSightLine(camera, at, where) || fIsOnSightLine(camera, landing, where)) hiding.insert(ball.id);
  }
  return hiding;
}

std::vector<int> fReachableColumns(const CStageRules& rules) {
  std::vector<int> reached;
  const SRuleBall* piece = rules.fPiece();
  if (piece == nullptr) return reached;
  // The rules' own move test: it asks only whether the piece's layer is
  // free in the column named, wherever the piece stands.
  std::vector<bool> seen(static_cast<std::size_t>(rules.W * rules.D), false);
  std::vector<std::pair<int, int>> open = {{piece->a, piece->b}};
  seen[static_cast<std::size_t>(piece->a + rules.W * piece->b)] = true;
  while (!open.empty()) {
    const auto [a, b] = open.back();
    open.pop_back();
    reached.push_back(a + rules.W * b);
    for (const auto& [da, db] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
      const int na = a + da, nb = b + db;
      if (na < 0 || nb < 0 || na >= rules.W || nb >= rules.D) continue;
      const std::size_t index = static_cast<std::size_t>(na + rules.W * nb);
      if (seen[index] || !rules.fCanMoveTo(rules.piece, na, nb)) continue;
      seen[index] = true;
      open.emplace_back(na, nb);
    }
  }
  std::sort(reached.begin(), reached.end());
  return reached;
}

std::set<int> fBallsHidingReach(const CStageRules& rules, VECTOR camera, double originA, double originB) {
  std::set<int> hiding = fBallsHidingPiece(rules, camera, originA, originB);
  const SRuleBall* piece = rules.fPiece();
  if (piece == nullptr) return hiding;
  // Every cell of each column the piece can reach, from the floor to where
  // the piece would land in it: what the player weighs before moving there.
  struct STarget {
    int column;
    VECTOR at;
  };
  std::vector<STarget> targets;
  for (const int column : fReachableColumns(rules)) {
    SRuleBall cell = *piece;
    cell.a = column % rules.W;
    cell.b = column / rules.W;
    cell.progress = 0;
    const int landing = rules.fLandingLayer(cell.a, cell.b, piece->h);
    for (cell.h = 0; cell.h <= landing; ++cell.h) targets.push_back({column, fBallWorldPosition(cell, originA, originB)});
  }
  for (const int slot : rules.balls) {
    const SRuleBall& ball = rules.fBall(slot);
    if (!ball.alive || slot == rules.piece || hiding.count(ball.id) != 0) continue;
    const VECTOR where = fBallWorldPosition(ball, originA, originB);
    const int column = ball.a + rules.W * ball.b;
    for (const STarget& target : targets) {
      // A column's own balls are what is looked at, not in the way.
      if (target.column != column && fIsOnSightLine(camera, target.at, where)) {
        hiding.insert(ball.id);
        break;
      }
    }
  }
  return hiding;
}

std::vector<int> fColumnHeights(const CStageRules& rules) {
  std::vector<int> heights(static_cast<std::size_t>(rules.W * rules.D), 0);
  for (int a = 0; a < rules.W; ++a) {
    for (int b = 0; b < rules.D; ++b) {
      for (int h = rules.H - 1; h >= 0; --h) {
        const int slot = rules.grid.fAt(a, b, h);
        if (slot == CStageRules::kNoBall || slot == rules.piece) continue;
        heights[static_cast<std::size_t>(a + rules.W * b)] = h + 1;
        break;
      }
    }
  }
  return heights;
}

SMapPlace fMapSize(int W, int D, double cameraAngle) {
  return fQuarter(cameraAngle) % 2 == 0 ? SMapPlace{W, D} : SMapPlace{D, W};
}

SMapPlace fMapPlace(int a, int b, int W, int D, double cameraAngle) {
  // The camera at angle θ stands at (sin θ, cos θ) from the box: its screen
  // right is (cos θ, -sin θ) and towards it is (sin θ, cos θ) (a along x, b
  // along y). At the quarters that is one of four turns of the grid.
  switch (fQuarter(cameraAngle)) {
    case 0: return {a, b};                  // right +a, towards +b
    case 1: return {D - 1 - b, a};          // right -b, towards +a
    case 2: return {W - 1 - a, D - 1 - b};  // right -a, towards -b
    default: return {b, W - 1 - a};         // right +b, towards -a
  }
}

double fGhostLayer(const CStageRules& rules) {
  const SRuleBall* piece = rules.fPiece();
  if (piece == nullptr) return 0.0;
  // The ball under the piece's column as the rules hold it; a ball that is
  // falling is drawn below its cell, and the ghost rests on it as drawn.
  for (int h = piece->h - 1; h >= 0; --h) {
    const int slot = rules.grid.fAt(piece->a, piece->b, h);
    if (slot == CStageRules::kNoBall || slot == rules.piece) continue;
    const SRuleBall& below = rules.fBall(slot);
    const double drawn = below.h - (below.state == EBallState::Falling ? below.progress / static_cast<double>(kCell) : 0.0);
    return drawn + 1.0;
  }
  return 0.0;
}
