// Building a stage: mode constants, grid, camera, models and the first deal;
// and the field queries the rules share.
#include <numbers>
#include <utility>

#include "app/Globals.h"
#include "rules/CStageRules.h"
#include "gfx/CSoundManager.h"
#include "persist/Settings.h"
#include "stage/CPlimoStage.h"
#include "stage/ModelTable.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

constexpr int kCellUnits = 32;
// Every mode plays the same music.
constexpr EBgm kStageMusic = EBgm::Tamco03;

}  // namespace

// A replay either starts or changes nothing: its archive is checked whole
// before the first global is touched.
CPlimoStage::CPlimoStage(int mode_, SReplayInfo info)
    : CPlimoStage(mode_, info, info.mode == SReplayInfo::EMode::Replay ? fCheckStageReplay(mode_, info) : nullptr) {}

CPlimoStage::CPlimoStage(int mode_, SReplayInfo info, std::shared_ptr<const SCheckedReplay> replay)
    : rules(mode_, fNewGameRandom(info, replay.get())) {
  PLIMO_ASSERT((info.mode == SReplayInfo::EMode::Replay) == (replay != nullptr), "a replay, and only a replay, has an archive");
  checkedReplay = std::move(replay);
  if (gSoundManager) gSoundManager->fStopAll();
  try {
    if (gSoundManager) gSoundManager->fPlayBgm(kStageMusic);
    replayInfo = std::move(info);
    if (replayInfo.raceGhost) race = std::make_unique<CRaceGhost>(replayInfo.raceGhost);
    mBallSymbols = gSettings.ballSymbols;
    mModelTable.fLoadAll(mBallSymbols);
    originA = rules.W * (-kCellUnits) / 4;
    originB = rules.D * (-kCellUnits) / 4;
    SetupCamera_Perspective(static_cast<float>(fFieldOfView(rules.mode)));
    mShownAngle = rules.fCameraAngle();
    fSetCamera(mShownAngle);
    fBuildScenery();
    fSetupReplay(*this);
  } catch (...) {
    // No destructor runs for a stage that was never built: free its models here.
    fReleaseModels();
    if (gSoundManager) gSoundManager->fStopAll();
    throw;
  }
}

const char* CPlimoStage::fColourName(int colour) { return ::fColourName(colour); }

void CPlimoStage::fPlaySound(ESoundEffect effect) {
  if (gSoundManager) gSoundManager->fPlayEffect(effect, false);
}

void CPlimoStage::fBuildScenery() {
  auto place = [&](const char* name, double x, double y, double z) -> CModel& {
    const VECTOR at = VGet(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    scenery.emplace_back(mModelTable.fDuplicate(name), at, VECTOR{});
    return scenery.back();
  };
  const int W = rules.W, D = rules.D, H = rules.H;
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) place("shibafu", originA + kCellUnits * a, originB + kCellUnits * b, -16.0);
  }
  // The brick model stands in its own x-z plane, facing along y: the walls
  // across b take it as it is (the far one turned round), the walls across
  // a turn it a quarter about the vertical.
  const float quarter = static_cast<float>(std::numbers::pi / 2.0);
  const float half = static_cast<float>(std::numbers::pi);
  auto brick = [&](double x, double y, double z, VECTOR rotation) {
    CModel& wall = place("renga", x, y, z);
    if (wall.fHandle() != -1) MV1SetRotationXYZ(wall.fHandle(), rotation);
  };
  const double nearB = originB - 16.0;
  const double farB = originB + kCellUnits * (D - 1) + 16.0;
  const double nearA = originA - 16.0;
  const double farA = originA + kCellUnits * (W - 1) + 16.0;
  for (int h = 0; h <= H - 3; ++h) {
    const double z = kCellUnits * h;
    for (int a = 0; a < W; ++a) {
      const double x = originA + kCellUnits * a;
      brick(x, nearB, z, VGet(0.0f, 0.0f, 0.0f));
      brick(x, farB, z, VGet(0.0f, 0.0f, half));
    }
    for (int b = 0; b < D; ++b) {
      const double y = originB + kCellUnits * b;
      brick(nearA, y, z, VGet(0.0f, 0.0f, quarter));
      brick(farA, y, z, VGet(0.0f, 0.0f, -quarter));
    }
  }
}

void CPlimoStage::fReleaseModels() {
  for (CModel& part : scenery) part.fDelete();
  for (auto& [id, ball] : mBallModels) ball.fReleaseModels();
  mBallModels.clear();
  if (ghost) ghost->fDelete();
  mModelTable.fReleaseAll();
}
