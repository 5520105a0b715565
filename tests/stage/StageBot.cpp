#include "stage/StageBot.h"

#include <cstdlib>
#include <tuple>

std::optional<EGameKey> CBot::fDecide(const CStageRules& s, long long frame) {
  if (frame % 2 == 1 || s.fPiece() == nullptr) return std::nullopt;
  const SRuleBall& piece = *s.fPiece();
  if (piece.serial != mSerial || piece.fromHold != mFromHold) {
    mSerial = piece.serial;
    mFromHold = piece.fromHold;
    mSince = frame;
    ++mPieces;
    fChooseTarget(s, piece);
    if (mPieces % 11 == 0 && !piece.fromHold) return EGameKey::KeySpace;
    if (mPieces % 7 == 0) return mPieces % 2 == 0 ? EGameKey::KeyZ : EGameKey::KeyC;
  }
  if (s.turning) return std::nullopt;
  if ((piece.a == mTargetA && piece.b == mTargetB) || frame - mSince > 60) return EGameKey::KeyX;
  constexpr EGameKey kKeys[] = {EGameKey::Left, EGameKey::Up, EGameKey::Right, EGameKey::Down};
  for (int i = 0; i < 4; ++i) {
    const EDirection4 way = fRotateDirection(static_cast<EDirection4>(i), EDirection4::Left,
                                             static_cast<int>(s.cameraDir));
    const int da = way == EDirection4::Left ? -1 : way == EDirection4::Right ? 1 : 0;
    const int db = way == EDirection4::Up ? -1 : way == EDirection4::Down ? 1 : 0;
    if (std::abs(mTargetA - piece.a - da) + std::abs(mTargetB - piece.b - db) <
        std::abs(mTargetA - piece.a) + std::abs(mTargetB - piece.b)) {
      return kKeys[i];
    }
  }
  return EGameKey::KeyX;
}

void CBot::fChooseTarget(const CStageRules& s, const SRuleBall& piece) {
  int best = 1 << 30;
  for (int a = 0; a < s.W; ++a) {
    for (int b = 0; b < s.D; ++b) {
      const int layer = s.fLandingLayer(a, b, s.H - 2);
      int cost = 100 + layer;
      for (auto [da, db, dh] : {std::tuple{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}}) {
        if (!s.fIsInside(a + da, b + db, layer + dh)) continue;
        const SRuleBall* next = s.fBallAt(a + da, b + db, layer + dh);
        if (next != nullptr && next != &piece && next->colour == piece.colour) cost = layer;
      }
      if (cost < best) {
        best = cost;
        mTargetA = a;
        mTargetB = b;
      }
    }
  }
}
