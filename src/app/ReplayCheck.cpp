#include "app/ReplayCheck.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/FileRoots.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/StdoutSilencer.h"
#include "gamelib/headless/HeadlessBackend.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "stage/StageModes.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"
#include "util/CRandom.h"

namespace {

const char* fStateName(CPlimoStage::EState state) {
  switch (state) {
    case CPlimoStage::EState::Ready: return "Ready";
    case CPlimoStage::EState::Playing: return "Playing";
    case CPlimoStage::EState::ToppingOut: return "ToppingOut";
    case CPlimoStage::EState::Finishing: return "Finishing";
    case CPlimoStage::EState::GameOver: return "GameOver";
    case CPlimoStage::EState::StageClear: return "StageClear";
  }
  return "Unknown";
}

struct SArchiveKind {
  int mode = 0;
  bool isDebug = false;  // packed by the debug save (F12)
};

// A replay archive holds exactly the key log and the seed of one mode, as a
// best game or as a debug save packs them.
SArchiveKind fKindOfMembers(const std::vector<SArchiveMember>& members, const std::string& label) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    for (bool isDebug : {false, true}) {
      const std::string prefix = std::string("dat/replay_") + fModeName(mode) + "/" + (isDebug ? "debug_" : "");
      bool keyLog = false, seed = false;
      for (const auto& member : members) {
        keyLog = keyLog || member.mName == prefix + "replay_key.dat";
        seed = seed || member.mName == prefix + "replay.dat";
      }
      if (keyLog && seed && members.size() == 2) return SArchiveKind{mode, isDebug};
    }
  }
  throw CGameError(label + " is not a PlimoBall replay archive (it must hold a key log and a seed of one mode)");
}

// Everything the run changes is set aside and put back when it ends, so a
// check can run inside a game or a server as well as from the command line.
class CPrivateRun {
 public:
  CPrivateRun()
      : mPortable(SFileRoots{}),
        mOldDirectory(fCurrentDirectory()),
        mDirectory(fMakeTemporaryDirectory("plimo-replay-")) {
    fChangeDirectory(mDirectory);
    mPreviousBackend = fInstallBackend(std::make_unique<CHeadlessBackend>());
    fSwapGlobals();
    // Leaving the stage ends the run; no menu is needed for that.
    mTitleMenu = fReplaceTitleMenuScene([] { return std::make_unique<CIdleScene>(); });
  }
  ~CPrivateRun() {
    fReplaceTitleMenuScene(std::move(mTitleMenu));
    gCurrentScene.fClear();
    fSwapGlobals();
    fInstallBackend(std::move(mPreviousBackend));
    fChangeDirectory(mOldDirectory);
    fRemoveTree(mDirectory);
  }
  CPrivateRun(const CPrivateRun&) = delete;
  CPrivateRun& operator=(const CPrivateRun&) = delete;

 private:
  // The run's own services in, the caller's out; and back again.
  void fSwapGlobals() {
    std::swap(mScene, gCurrentScene);
    std::swap(mKeyManager, gKeyManager);
    std::swap(mRandom, gRandom);
    std::swap(mSoundManager, gSoundManager);
    std::swap(mImageManager, gImageManager);
    std::swap(mFpsTimer, gFpsTimer);
    std::swap(mHighScores, gHighScores);
  }

  // The run's files lie in its own folder, whatever folders the game uses.
  CFileRootsScope mPortable;
  std::string mOldDirectory;
  std::string mDirectory;
  std::unique_ptr<CGameLibBackend> mPreviousBackend;
  CSceneSlot mScene;
  std::unique_ptr<CKeyManagerBase> mKeyManager;
  std::unique_ptr<CRandom> mRandom;
  std::unique_ptr<CSoundManager> mSoundManager;
  std::unique_ptr<CImageManager> mImageManager;
  std::unique_ptr<CFpsTimer> mFpsTimer;
  std::vector<std::shared_ptr<CHighScoreInfo>> mHighScores;
  SceneMaker mTitleMenu;
};

void fRecord(const CPlimoStage& stage, SReplayCheckResult& result) {
  result.state = fStateName(stage.state);
  result.score = stage.score;
  result.maxRensa = stage.maxRensa;
  result.cleared = stage.cleared;
  result.dealt = stage.dealt;
  result.level = stage.level;
}

}  // namespace

struct CReplayRun::SPrivate {
  CStdoutSilencer quiet;
  CPrivateRun run;
};

CReplayRun::CReplayRun(const std::string& archiveBytes, const std::string& label) {
  const auto members = CArchiver::fReadMembersFromBytes(archiveBytes, label);
  const SArchiveKind kind = fKindOfMembers(members, label);
  const int mode = kind.mode;
  mResult.mode = fModeName(mode);
  mPrivate = std::make_unique<SPrivate>();
  fCreateDirectories(std::string("dat/replay_") + fModeName(mode));
  // Played as the title menu plays it: the replay button, or F10-F12.
  const SReplayInfo info = kind.isDebug ? SReplayInfo::fDebugReplay(mode) : SReplayInfo::fReplay(mode);
  fWriteWholeFile(info.path, archiveBytes);

  // The services a stage reads; no window, sound, pictures or fonts.
  for (int i = 0; i < kHighScoreEntryCount; ++i) gHighScores.push_back(std::make_shared<CHighScoreInfo>());
  gFpsTimer = std::make_unique<CFpsTimer>(false, false);
  gFpsTimer->fSetNoWait(true);
  gSoundManager = std::make_unique<CSoundManager>(false);
  gKeyManager = std::make_unique<CKeyManager>();

  // The frame in which the title menu's replay button builds the stage: the
  // stage's first fAnimate comes in that frame, its first key frame in the next.
  gCurrentScene = std::make_unique<CPlimoStage>(mode, info);
  mStage = static_cast<CPlimoStage*>(gCurrentScene.fGet());
  mResult.seed = gRandom->fGetSeed();
  gCurrentScene->fAnimate();
  gCurrentScene.fReleaseRetired();
}

CReplayRun::~CReplayRun() = default;

const SReplayCheckResult& CReplayRun::fRun() {
  for (;;) {
    auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get());
    // A cut-off last frame is not played: the game is checked on whole frames.
    if (player == nullptr || !player->fHasWholeFrame()) break;
    fRunFrameLogic();
    ++mResult.frames;
    if (gCurrentScene.fGet() != mStage) {
      // The stage was left; it stays alive until its frame is over.
      mResult.confirmed = true;
      break;
    }
    gCurrentScene.fReleaseRetired();
  }
  fRecord(*mStage, mResult);
  return mResult;
}

SReplayCheckResult fCheckReplayBytes(const std::string& archiveBytes, const std::string& label) {
  CReplayRun run(archiveBytes, label);
  return run.fRun();
}

SReplayCheckResult fCheckReplay(const std::string& archivePath) {
  if (!fFileExists(archivePath)) throw CGameError("no such replay archive: " + archivePath);
  return fCheckReplayBytes(fReadWholeFile(archivePath), archivePath);
}

std::string fReplayCheckJson(const SReplayCheckResult& result) {
  char line[512];
  std::snprintf(line, sizeof line,
                "{\"mode\":\"%s\",\"seed\":%d,\"frames\":%lld,\"state\":\"%s\",\"score\":%d,\"maxRensa\":%d,"
                "\"cleared\":%d,\"dealt\":%d,\"level\":%d}",
                result.mode.c_str(), result.seed, result.frames, result.state.c_str(), result.score, result.maxRensa,
                result.cleared, result.dealt, result.level);
  return line;
}

int fVerifyReplayMain(const std::string& archivePath) {
  try {
    const SReplayCheckResult result = fCheckReplay(fAbsolutePath(archivePath));
    std::printf("%s\n", fReplayCheckJson(result).c_str());
    return 0;
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball: verify-replay: %s\n", error.what());
  } catch (const CFatalError& error) {
    std::fprintf(stderr, "plimoball: verify-replay: %s: %s\n", archivePath.c_str(), error.fMessage().c_str());
  }
  return 2;
}
