#include "stage/StageEffects.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// The chain pop-up grows by a fifth a step, up to twice its size.
constexpr double kChainGrowth = 0.2;
constexpr double kChainLargest = 2.0;
constexpr double kPointsRisePixels = 48.0;
constexpr double kFadeFrom = 0.7;  // the share of its life an effect shows fully

struct SGroupSum {
  int points = 0;
  int count = 0;
  double a = 0.0, b = 0.0, h = 0.0;
};

}  // namespace

void CStageEffects::fFeed(const CRuleEvents& events) {
  // The balls removed in one step make one rising number per colour, at
  // the middle of their cells; each ball bursts where it was.
  std::map<int, SGroupSum> groups;
  for (const SRuleEvent& event : events) {
    switch (event.kind) {
      case ERuleEvent::BallRemoved: {
        mLive.push_back(SStageEffect{EStageEffect::Burst, 0, event.colour, static_cast<double>(event.a),
                                     static_cast<double>(event.b), static_cast<double>(event.h), 0, kBurstFrames});
        SGroupSum& sum = groups[event.colour];
        sum.points += event.value;
        ++sum.count;
        sum.a += event.a;
        sum.b += event.b;
        sum.h += event.h;
        break;
      }
      case ERuleEvent::ChainStep:
        // A first wave is no chain yet.
        if (event.value >= 2) fReplace(EStageEffect::Chain, SStageEffect{EStageEffect::Chain, event.value, -1, 0, 0, 0, 0, kChainFrames});
        break;
      case ERuleEvent::LevelUp:
        fReplace(EStageEffect::LevelUp, SStageEffect{EStageEffect::LevelUp, event.value, -1, 0, 0, 0, 0, kLevelUpFrames});
        break;
      default: break;
    }
  }
  for (const auto& [colour, sum] : groups) {
    mLive.push_back(SStageEffect{EStageEffect::Points, sum.points, colour, sum.a / sum.count, sum.b / sum.count,
                                 sum.h / sum.count, 0, kPointsFrames});
  }
}

void CStageEffects::fReplace(EStageEffect kind, SStageEffect effect) {
  std::erase_if(mLive, [kind](const SStageEffect& live) { return live.kind == kind; });
  mLive.push_back(effect);
}

void CStageEffects::fAge() {
  for (SStageEffect& effect : mLive) ++effect.age;
  std::erase_if(mLive, [](const SStageEffect& effect) { return effect.age >= effect.life; });
}

double CStageEffects::fChainScale(int chain, double progress) {
  const double size = std::min(kChainLargest, 1.0 + kChainGrowth * std::max(0, chain - 2));
  // Pops in larger and settles within the first tenth of its life.
  const double pop = progress < 0.1 ? 1.0 + 0.5 * (0.1 - progress) / 0.1 : 1.0;
  return size * pop;
}

double CStageEffects::fPointsRise(double progress) {
  // Quick at first, slowing as it goes.
  const double t = std::clamp(progress, 0.0, 1.0);
  return kPointsRisePixels * (1.0 - (1.0 - t) * (1.0 - t));
}

double CStageEffects::fOpacity(double progress) {
  if (progress <= kFadeFrom) return 1.0;
  return std::clamp((1.0 - progress) / (1.0 - kFadeFrom), 0.0, 1.0);
}
