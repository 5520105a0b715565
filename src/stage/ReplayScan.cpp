#include "stage/ReplayScan.h"

#include <utility>

#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/headless/HeadlessBackend.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyPlayer.h"
#include "stage/CPlimoStage.h"
#include "stage/StageSnapshot.h"
#include "util/Assert.h"
#include "util/CRandom.h"

namespace {

// The caller's game library and the globals a stage touches, set aside for
// the scan and put back afterwards, whatever happens.
class CPrivateScan {
 public:
  CPrivateScan() : mBackend(fInstallBackend(std::make_unique<CHeadlessBackend>())) {
    fSwap();
    mTitleMenu = fReplaceTitleMenuScene([] { return std::make_unique<CIdleScene>(); });
  }
  ~CPrivateScan() {
    fReplaceTitleMenuScene(std::move(mTitleMenu));
    gCurrentScene.fClear();
    fSwap();
    fInstallBackend(std::move(mBackend));
  }
  CPrivateScan(const CPrivateScan&) = delete;
  CPrivateScan& operator=(const CPrivateScan&) = delete;

 private:
  void fSwap() {
    std::swap(mScene, gCurrentScene);
    std::swap(mKeys, gKeyManager);
    std::swap(mRandom, gRandom);
    std::swap(mSound, gSoundManager);
  }

  std::unique_ptr<CGameLibBackend> mBackend;
  CSceneSlot mScene;
  std::unique_ptr<CKeyManagerBase> mKeys;
  std::unique_ptr<CRandom> mRandom;
  std::unique_ptr<CSoundManager> mSound;
  SceneMaker mTitleMenu;
};

}  // namespace

SReplayMarks fScanReplay(int mode, const SReplayInfo& info, const std::shared_ptr<const SCheckedReplay>& replay,
                         std::vector<SStageSnapshot>* snapshots, long long every) {
  PLIMO_ASSERT(snapshots == nullptr || every > 0, "snapshots need an interval");
  SReplayMarks marks;
  marks.length = replay->frames;
  CPrivateScan scan;
  auto built = std::make_unique<CPlimoStage>(mode, info, replay, CModelTable{});
  CPlimoStage& stage = *built;
  gCurrentScene = std::move(built);
  auto& player = dynamic_cast<CKeyPlayer&>(*gKeyManager);
  player.fStop();
  stage.fAnimate();
  auto keep = [&](long long frame) {
    if (snapshots != nullptr && frame % every == 0) {
      snapshots->push_back(fTakeStageSnapshot(stage, frame, player, *gRandom));
    }
  };
  keep(0);
  int serial = -1, rensa = 0, level = stage.level;
  // The last frame is not played: it may confirm the end and leave.
  for (long long frame = 1; frame < marks.length; ++frame) {
    player.fPlayRecordedFrame();
    stage.fUpdate();
    if (gCurrentScene.fGet() != &stage) break;
    stage.fAnimate();
    if (stage.piece != nullptr && stage.piece->serial != serial) {
      serial = stage.piece->serial;
      marks.spawns.push_back(frame);
    }
    if (stage.rensa > rensa && stage.rensa >= 2) marks.chains.push_back({frame, stage.rensa});
    rensa = stage.rensa;
    if (stage.level > level) marks.levelUps.push_back(frame);
    level = stage.level;
    keep(frame);
  }
  stage.fReleaseModels();
  return marks;
}
