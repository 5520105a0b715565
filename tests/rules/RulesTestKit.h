// Test support for the rules alone: a key source the test holds keys on,
// fields written as text, and the recorded games of tests/fixtures/.
#pragma once

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "input/TriggerLatch.h"
#include "rules/CStageRules.h"

namespace rules_test_kit {

// Keys held by the test; once-per-press answers follow the latch rule (a
// key must be seen up before a press counts).
class CHeldKeys : public IRuleKeys {
 public:
  CHeldKeys() { mLatch.fill(true); }
  void fPress(EGameKey key) { mDown[fIndex(key)] = true; }
  void fReleaseAll() { mDown.fill(false); }
  bool fIsPush(EGameKey key, bool once) override {
    const bool down = mDown[fIndex(key)];
    return once ? fLatchPush(down, mLatch[fIndex(key)]) : down;
  }

 private:
  static std::size_t fIndex(EGameKey key) { return static_cast<std::size_t>(fKeyIndex(key)); }
  std::array<bool, kGameKeyCount> mDown{};
  std::array<bool, kGameKeyCount> mLatch{};
};

inline int fColourOf(char letter) { return static_cast<int>(std::string("RGBYPLO").find(letter)); }

// Lays resting balls from text, one string per layer from the floor up.
inline void fSetField(CStageRules& rules, const std::vector<std::string>& layers) {
  for (int h = 0; h < static_cast<int>(layers.size()); ++h) {
    int a = 0, b = 0;
    for (const char c : layers[static_cast<std::size_t>(h)]) {
      if (c == '|') {
        ++b;
        a = 0;
        continue;
      }
      if (c != '.') {
        SRuleBall ball;
        ball.a = a;
        ball.b = b;
        ball.h = h;
        ball.colour = fColourOf(c);
        ball.state = EBallState::Settled;
        rules.fEnterGrid(rules.fAddBall(ball));
      }
      ++a;
    }
  }
  std::stable_sort(rules.balls.begin(), rules.balls.end(),
                   [&](int x, int y) { return rules.fBall(x).h < rules.fBall(y).h; });
}

// The grid as text in the same form, up to its highest filled layer.
inline std::vector<std::string> fField(const CStageRules& rules) {
  std::vector<std::string> layers;
  for (int h = 0; h < rules.H; ++h) {
    std::string layer;
    for (int b = 0; b < rules.D; ++b) {
      if (b > 0) layer += '|';
      for (int a = 0; a < rules.W; ++a) {
        const SRuleBall* ball = rules.fBallAt(a, b, h);
        layer += ball == nullptr ? '.' : "RGBYPLO"[ball->colour];
      }
    }
    layers.push_back(layer);
  }
  while (!layers.empty() && layers.back().find_first_not_of(".|") == std::string::npos) layers.pop_back();
  return layers;
}

inline std::string fFixtureBytes(const std::string& name) {
  std::ifstream in(std::string(PLIMO_FIXTURE_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace rules_test_kit
