// How long two honest games of one seed play alike: the figures behind the
// opening that names a family of copies. For each recorded game's mode and
// seed, many games are played by the rules alone, by random players and by
// scripted players of one style (each with its own column preferences,
// hold and turn habits and hesitations), and scripted players of one habit
// who differ only in their hesitations (one person playing twice, as near
// as a script gets); every pair of one kind is compared: the placements
// they share from the start.
//
//     plimo_opening_divergence [GAMES_PER_KIND] [--seed N | --random-seeds K]
//
// prints, per mode and kind, the distribution of shared placements and the
// share of pairs that an opening of N placements would call copies. With
// --seed every mode plays seed N, with --random-seeds each mode plays K
// seeds drawn at random (31 bits, as a daily challenge's are), instead of
// the recorded games' seeds: a day's players all share one seed.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "input/TriggerLatch.h"
#include "replay/PlayRecord.h"
#include "rules/CStageRules.h"
#include "rules/StageModes.h"

namespace {

constexpr long long kMaxFrames = 60'000;

class CPlayerKeys : public IRuleKeys {
 public:
  CPlayerKeys() { mLatch.fill(true); }
  void fSet(std::optional<EGameKey> key) {
    mDown.fill(false);
    if (key) mDown[static_cast<std::size_t>(fKeyIndex(*key))] = true;
  }
  bool fIsPush(EGameKey key, bool once) override {
    const auto i = static_cast<std::size_t>(fKeyIndex(key));
    return once ? fLatchPush(mDown[i], mLatch[i]) : mDown[i];
  }

 private:
  std::array<bool, kGameKeyCount> mDown{};
  std::array<bool, kGameKeyCount> mLatch{};
};

constexpr EGameKey kMoves[] = {EGameKey::Left, EGameKey::Up, EGameKey::Right, EGameKey::Down};

// Presses anything now and then.
class CRandomPlayer {
 public:
  explicit CRandomPlayer(unsigned seed) : mRandom(seed) {}
  std::optional<EGameKey> fDecide(const CStageRules&, long long frame) {
    if (frame % 2 == 1) return std::nullopt;
    const int roll = static_cast<int>(mRandom() % 100);
    if (roll < 40) return std::nullopt;
    if (roll < 80) return kMoves[mRandom() % 4];
    if (roll < 90) return EGameKey::KeyX;
    if (roll < 95) return mRandom() % 2 ? EGameKey::KeyZ : EGameKey::KeyC;
    return EGameKey::KeySpace;
  }

 private:
  std::mt19937 mRandom;
};

// One style: put each piece where it touches its colour, else as low as
// possible; players differ in their order of equal columns, how often they
// hold and turn, and how long they take.
class CScriptedPlayer {
 public:
  // habits: the seed of the column order and the hold and turn habits;
  // players of one habit differ only in how long they take.
  CScriptedPlayer(unsigned habits, unsigned seed) : mRandom(habits) {
    mHoldEvery = 5 + static_cast<int>(mRandom() % 10);
    mTurnEvery = 4 + static_cast<int>(mRandom() % 10);
    mOrderSeed = mRandom();
    mRandom.seed(seed);
    mHesitate = 5 + static_cast<int>(mRandom() % 30);
  }
  std::optional<EGameKey> fDecide(const CStageRules& s, long long frame) {
    if (frame % 2 == 1 || s.fPiece() == nullptr) return std::nullopt;
    if (mOrder.empty()) {
      for (int a = 0; a < s.W; ++a) {
        for (int b = 0; b < s.D; ++b) mOrder.push_back({a, b});
      }
      std::mt19937 order(mOrderSeed);
      std::shuffle(mOrder.begin(), mOrder.end(), order);
    }
    const SRuleBall& piece = *s.fPiece();
    if (piece.serial != mSerial || piece.fromHold != mFromHold) {
      mSerial = piece.serial;
      mFromHold = piece.fromHold;
      mSince = frame;
      ++mPieces;
      fChooseTarget(s, piece);
      if (mPieces % mHoldEvery == 0 && !piece.fromHold) return EGameKey::KeySpace;
      if (mPieces % mTurnEvery == 0) return mPieces % 2 == 0 ? EGameKey::KeyZ : EGameKey::KeyC;
    }
    if (s.turning || static_cast<int>(mRandom() % 100) < mHesitate) return std::nullopt;
    if ((piece.a == mTarget[0] && piece.b == mTarget[1]) || frame - mSince > 90) return EGameKey::KeyX;
    for (int i = 0; i < 4; ++i) {
      const EDirection4 way =
          fRotateDirection(static_cast<EDirection4>(i), EDirection4::Left, static_cast<int>(s.cameraDir));
      const int da = way == EDirection4::Left ? -1 : way == EDirection4::Right ? 1 : 0;
      const int db = way == EDirection4::Up ? -1 : way == EDirection4::Down ? 1 : 0;
      if (std::abs(mTarget[0] - piece.a - da) + std::abs(mTarget[1] - piece.b - db) <
          std::abs(mTarget[0] - piece.a) + std::abs(mTarget[1] - piece.b)) {
        return kMoves[i];
      }
    }
    return EGameKey::KeyX;
  }

 private:
  void fChooseTarget(const CStageRules& s, const SRuleBall& piece) {
    int best = 1 << 30;
    for (const auto& [a, b] : mOrder) {
      const int layer = s.fLandingLayer(a, b, s.H - 2);
      int cost = 100 + layer;
      for (auto [da, db, dh] : {std::tuple{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}}) {
        if (!s.fIsInside(a + da, b + db, layer + dh)) continue;
        const SRuleBall* next = s.fBallAt(a + da, b + db, layer + dh);
        if (next != nullptr && next != &piece && next->colour == piece.colour) cost = layer;
      }
      if (cost < best) {
        best = cost;
        mTarget = {a, b};
      }
    }
  }

  std::mt19937 mRandom;
  std::vector<std::array<int, 2>> mOrder;
  std::array<int, 2> mTarget{1, 1};
  int mHoldEvery = 7;
  int mTurnEvery = 5;
  int mHesitate = 0;
  unsigned mOrderSeed = 0;
  int mSerial = -2;
  bool mFromHold = false;
  long long mSince = 0;
  int mPieces = 0;
};

template <typename TPlayer>
CPlayRecord fPlay(int mode, int seed, TPlayer player) {
  CStageRules rules(mode, CRandom(seed, CRandom::kQuiet));
  rules.fAnimate();
  rules.fClearEvents();
  CPlayerKeys keys;
  CPlayRecord record;
  for (long long frame = 1; frame < kMaxFrames; ++frame) {
    keys.fSet(player.fDecide(rules, frame));
    if (rules.fInput(keys)) break;
    rules.fAnimate();
    record.fFeed(rules.fEvents());
    rules.fClearEvents();
    if (rules.state == CStageRules::EState::GameOver || rules.state == CStageRules::EState::StageClear) break;
  }
  return record;
}

void fReport(const char* mode, const char* kind, const std::vector<CPlayRecord>& games) {
  std::vector<int> shared;
  int placements = 0;
  for (const CPlayRecord& game : games) placements += game.fPlacements();
  for (std::size_t i = 0; i < games.size(); ++i) {
    for (std::size_t j = i + 1; j < games.size(); ++j) {
      shared.push_back(fSharedPlacements(games[i].fPlay(), games[j].fPlay()));
    }
  }
  std::sort(shared.begin(), shared.end());
  auto at = [&](double q) { return shared[std::min(shared.size() - 1, static_cast<std::size_t>(q * shared.size()))]; };
  auto shareAtLeast = [&](int n) {
    const auto count = shared.end() - std::lower_bound(shared.begin(), shared.end(), n);
    return 100.0 * static_cast<double>(count) / static_cast<double>(shared.size());
  };
  std::printf("%-8s %-9s %5zu %6zu %7.1f %5d %5d %5d %5d %7.2f%% %7.2f%%\n", mode, kind, games.size(), shared.size(),
              static_cast<double>(placements) / static_cast<double>(games.size()), at(0.5), at(0.9), at(0.99),
              shared.back(), shareAtLeast(CPlayRecord::kOpeningPlacements / 2),
              shareAtLeast(CPlayRecord::kOpeningPlacements));
}

}  // namespace

int main(int argc, char** argv) {
  int perKind = 100;
  // The recorded games' modes and seeds, unless asked for others.
  std::vector<std::pair<int, int>> games = {{0, 123}, {1, 456}, {2, 789}};
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--seed" && i + 1 < argc) {
      const int seed = std::atoi(argv[++i]);
      games = {{0, seed}, {1, seed}, {2, seed}};
    } else if (argument == "--random-seeds" && i + 1 < argc) {
      const int count = std::max(1, std::atoi(argv[++i]));
      std::random_device random;
      games.clear();
      for (int mode = 0; mode < 3; ++mode) {
        for (int n = 0; n < count; ++n) games.emplace_back(mode, static_cast<int>(random() & 0x7fffffffu));
      }
    } else {
      perKind = std::max(2, std::atoi(argv[i]));
    }
  }
  std::printf("opening: %d placements; %d games a kind, every pair compared\n", CPlayRecord::kOpeningPlacements,
              perKind);
  std::printf("%-8s %-9s %5s %6s %7s %5s %5s %5s %5s %8s %8s\n", "mode", "players", "games", "pairs", "placed",
              "p50", "p90", "p99", "max", ">=N/2", ">=N");
  for (const auto& [mode, seed] : games) {
    std::printf("%s, seed %d:\n", fModeName(mode), seed);
    std::vector<CPlayRecord> random, scripted, oneHabit;
    for (int i = 0; i < perKind; ++i) {
      const auto player = static_cast<unsigned>(i);
      random.push_back(fPlay(mode, seed, CRandomPlayer(1000 + player)));
      scripted.push_back(fPlay(mode, seed, CScriptedPlayer(5000 + player, 9000 + player)));
      oneHabit.push_back(fPlay(mode, seed, CScriptedPlayer(5000, 9000 + player)));
    }
    fReport(fModeName(mode), "random", random);
    fReport(fModeName(mode), "scripted", scripted);
    fReport(fModeName(mode), "one-habit", oneHabit);
  }
  return 0;
}
