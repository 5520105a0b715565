#include "stage/StageTestKit.h"

#include <algorithm>
#include <memory>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "rules/RulesTestKit.h"
#include "stage/StageBot.h"
#include "util/CFpsTimer.h"
#include "util/CRandom.h"

namespace {
constexpr const char* kLetters = "RGBYPLO";
constexpr std::int64_t kUtcBase = 1'700'000'000'000;  // a whole second: the seed is the offset
}  // namespace

void StageTest::SetUp() {
  HeadlessTest::SetUp();
  fMakeDataFolders();
  gSoundManager = std::make_unique<CSoundManager>(false);
  gImageManager.reset();
  gKeyManager = std::make_unique<CScriptedKeys>();
  gFpsTimer = std::make_unique<CFpsTimer>(false, false);
  gHighScores.clear();
}

void StageTest::TearDown() {
  gCurrentScene.fClear();
  gKeyManager.reset();
  gSoundManager.reset();
  gRandom.reset();
  gFpsTimer.reset();
  gHighScores.clear();
  HeadlessTest::TearDown();
}

CPlimoStage& StageTest::fStartStage(int mode, int seed) {
  backend().fSetUtcBase(kUtcBase + seed - backend().fNow());
  gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode));
  // As when a menu builds it: its first fAnimate and fDraw come in that frame.
  gCurrentScene->fAnimate();
  gCurrentScene->fDraw();
  gCurrentScene.fReleaseRetired();
  return stage();
}

CPlimoStage& StageTest::fStartPlaying(int mode, int seed) {
  fStartStage(mode, seed);
  fStep(120);
  EXPECT_EQ(rules().state, EStage::Playing);
  EXPECT_EQ(rules().fPiece(), nullptr);
  return stage();
}

CPlimoStage& StageTest::stage() {
  auto* current = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  if (current == nullptr) {
    ADD_FAILURE() << "the current scene is not a stage";
    std::abort();
  }
  return *current;
}

CScriptedKeys& StageTest::keys() {
  auto* scripted = dynamic_cast<CScriptedKeys*>(gKeyManager.get());
  if (scripted == nullptr) {
    ADD_FAILURE() << "the key source is not the scripted one";
    std::abort();
  }
  return *scripted;
}

void StageTest::fUseLiveKeys() { gKeyManager = std::make_unique<CKeyManager>(); }

void StageTest::fSetKey(EGameKey key, bool down) {
  if (auto* scripted = dynamic_cast<CScriptedKeys*>(gKeyManager.get())) {
    scripted->fSetDown(key, down);
    return;
  }
  int code = -1;
  switch (key) {
    case EGameKey::Left: code = KEY_INPUT_J; break;
    case EGameKey::Up: code = KEY_INPUT_I; break;
    case EGameKey::Right: code = KEY_INPUT_L; break;
    case EGameKey::Down: code = KEY_INPUT_K; break;
    case EGameKey::KeyZ: code = KEY_INPUT_Z; break;
    case EGameKey::KeyX: code = KEY_INPUT_X; break;
    case EGameKey::KeyC: code = KEY_INPUT_C; break;
    case EGameKey::KeySpace: code = KEY_INPUT_SPACE; break;
    case EGameKey::KeyF1: code = KEY_INPUT_F1; break;
    case EGameKey::KeyF2: code = KEY_INPUT_F2; break;
    case EGameKey::KeyF12: code = KEY_INPUT_F12; break;
    case EGameKey::KeyEsc: code = KEY_INPUT_ESCAPE; break;
    default: ADD_FAILURE() << "no keyboard key for this game key in the tests"; return;
  }
  backend().fSetKey(code, down);
}

void StageTest::fStep(int frames) {
  for (int i = 0; i < frames; ++i) {
    gKeyManager->fUpdateKeyState();
    gCurrentScene->fUpdate();
    gCurrentScene->fAnimate();
    gCurrentScene->fDraw();
    gCurrentScene.fReleaseRetired();
  }
}

void StageTest::fTap(EGameKey key) {
  fSetKey(key, true);
  fStep();
  fSetKey(key, false);
  fStep();
}

long long StageTest::fPlayToEnd(long long limit, const std::function<void()>& eachFrame) {
  CBot bot;
  long long frame = 0;
  for (; frame < limit; ++frame) {
    const CStageRules& s = rules();
    if (s.state == EStage::GameOver || s.state == EStage::StageClear) break;
    for (EGameKey key : kBotKeys) fSetKey(key, false);
    if (auto key = bot.fDecide(s, frame)) fSetKey(*key, true);
    fStep();
    if (eachFrame) eachFrame();
  }
  for (EGameKey key : kBotKeys) fSetKey(key, false);
  return frame;
}

int StageTest::fColourOf(char letter) {
  const char* found = std::char_traits<char>::find(kLetters, 7, letter);
  EXPECT_NE(found, nullptr) << "no colour is written " << letter;
  return found == nullptr ? 0 : static_cast<int>(found - kLetters);
}

char StageTest::fLetterOf(int colour) { return kLetters[colour]; }

SRuleBall& StageTest::fPlaceBall(int a, int b, int h, int colour, EBall state) {
  CStageRules& s = rules();
  SRuleBall placed;
  placed.a = a;
  placed.b = b;
  placed.h = h;
  placed.colour = colour;
  placed.speed = s.fallSpeed;
  placed.state = state;
  const int slot = s.fAddBall(placed);
  s.fEnterGrid(slot);
  std::stable_sort(s.balls.begin(), s.balls.end(), [&](int x, int y) { return s.fBall(x).h < s.fBall(y).h; });
  return s.fBall(slot);
}

void StageTest::fSetField(const std::vector<std::string>& layers) {
  CStageRules& s = rules();
  for (int h = 0; h < static_cast<int>(layers.size()); ++h) {
    const std::string& layer = layers[static_cast<std::size_t>(h)];
    int a = 0;
    int b = 0;
    for (char c : layer) {
      if (c == '|') {
        ++b;
        a = 0;
        continue;
      }
      if (c != '.') fPlaceBall(a, b, h, fColourOf(c));
      ++a;
    }
    EXPECT_EQ(b, s.D - 1) << "layer " << h << " has the wrong number of rows";
  }
}

std::vector<std::string> StageTest::fField() { return rules_test_kit::fField(rules()); }

void StageTest::fExpectGridConsistent() {
  CStageRules& s = rules();
  std::vector<int> seen;
  for (int a = 0; a < s.W; ++a) {
    for (int b = 0; b < s.D; ++b) {
      for (int h = 0; h < s.H; ++h) {
        const int slot = s.grid.fAt(a, b, h);
        if (slot == CStageRules::kNoBall) continue;
        const SRuleBall& ball = s.fBall(slot);
        EXPECT_TRUE(ball.alive) << "cell " << a << "," << b << "," << h << " names a removed ball";
        EXPECT_EQ(ball.a * 100 + ball.b * 10 + ball.h, a * 100 + b * 10 + h) << "a ball is not where its cell says";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), slot), 0) << "one ball in two cells";
        seen.push_back(slot);
        EXPECT_EQ(std::count(s.balls.begin(), s.balls.end(), slot), 1) << "a cell names a ball the game does not list";
      }
    }
  }
}

std::vector<SRuleBall*> fListedBalls(CStageRules& rules) {
  std::vector<SRuleBall*> listed;
  for (const int slot : rules.balls) listed.push_back(&rules.fBall(slot));
  return listed;
}

std::vector<const SRuleBall*> fListedBalls(const CStageRules& rules) {
  std::vector<const SRuleBall*> listed;
  for (const int slot : rules.balls) listed.push_back(&rules.fBall(slot));
  return listed;
}

void StageTest::fSetNextColour(int colour) { rules().queue[0].colour = colour; }
