// Starting a replay is all or nothing: a damaged or foreign archive is
// refused before the key source, the generator, the music or the files in
// dat/ change, and a failure after the check frees every model it made.
#include <memory>
#include <vector>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "persist/CArchiver.h"
#include "stage/StageTestKit.h"
#include "support/ReplayArchives.h"
#include "util/Assert.h"
#include "util/CRandom.h"

namespace {

using namespace replay_archives;

class StageReplayStartTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    fUseLiveKeys();
    gRandom = std::make_unique<CRandom>(5);
  }

  // Builds the stage and expects it refused with nothing changed.
  void fExpectRefusedUntouched(int mode, const SReplayInfo& info) {
    const CKeyManagerBase* keys = gKeyManager.get();
    const CRandom* random = gRandom.get();
    const int models = backend().fLiveModelCount();
    const int graphs = backend().fLiveGraphCount();
    EXPECT_THROW(CPlimoStage(mode, info), CGameError);
    EXPECT_EQ(gKeyManager.get(), keys) << "the live key source stays";
    EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
    EXPECT_EQ(gRandom.get(), random);
    EXPECT_EQ(backend().fLiveModelCount(), models) << "no model left behind";
    EXPECT_EQ(backend().fLiveGraphCount(), graphs) << "no image left behind";
  }
};

TEST_F(StageReplayStartTest, EveryFaultInEveryKindOfArchiveChangesNothing) {
  struct SKind {
    const char* what;
    SReplayInfo info;
    std::string prefix;
  };
  const std::vector<SKind> kinds = {
      {"best replay", SReplayInfo::fReplay(1), ""},
      {"debug save", SReplayInfo::fDebugReplay(1), "debug_"},
      {"download", SReplayInfo(SReplayInfo::EMode::Replay, "dat/downloaded_replay_yoiko/k9", false), ""},
  };
  for (const SKind& kind : kinds) {
    for (const auto& [fault, bytes] : fBadArchives("yoiko", kind.prefix)) {
      SCOPED_TRACE(std::string(kind.what) + ": " + fault);
      fWriteWholeFile(kind.info.path, bytes);
      fExpectRefusedUntouched(1, kind.info);
      EXPECT_EQ(fListDirectory("dat/replay_yoiko").size(), kind.info.path.find("downloaded") == std::string::npos ? 1u : 0u)
          << "nothing unpacked";
      fDeleteFile(kind.info.path);
    }
  }
}

TEST_F(StageReplayStartTest, AnArchiveOfAnotherModeOrKindIsRefused) {
  fWriteWholeFile("dat/replay_plimo/replay", fFixture("yoiko_seed456.zip"));
  fExpectRefusedUntouched(0, SReplayInfo::fReplay(0));
  // A best game's archive under the debug save's name.
  fWriteWholeFile("dat/replay_yoiko/debug_replay", fFixture("yoiko_seed456.zip"));
  fExpectRefusedUntouched(1, SReplayInfo::fDebugReplay(1));
}

TEST_F(StageReplayStartTest, AFailureAfterTheCheckFreesTheModelsAndPutsNothingInPlace) {
  // A sound download whose unpacking fails: the mode's replay folder is gone.
  fWriteWholeFile("dat/downloaded_replay_plimo/k1", fFixture("plimo_seed123.zip"));
  fRemoveTree("dat/replay_plimo");
  backend().fSetLogging(true);
  fExpectRefusedUntouched(0, SReplayInfo(SReplayInfo::EMode::Replay, "dat/downloaded_replay_plimo/k1", false));
  EXPECT_FALSE(backend().fLogOf({"MV1LoadModel"}).empty()) << "the failure came after the models were made";
}

TEST_F(StageReplayStartTest, ASoundArchivePlaysFromItsSeedAndKeepsTheUnpackedFiles) {
  fWriteWholeFile("dat/replay_wanpaku/replay", fFixture("wanpaku_seed789.zip"));
  {
    CPlimoStage stage(2, SReplayInfo::fReplay(2));
    EXPECT_EQ(stage.rules.fRandom().fGetSeed(), 789);
    auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get());
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->fIsPlaying());
    stage.fReleaseModels();
  }
  // Byte for byte the archive's key log, though it was held packed.
  const std::vector<SArchiveMember> members = CArchiver::fReadMembersFromBytes(fFixture("wanpaku_seed789.zip"), "fixture");
  for (const SArchiveMember& member : members) {
    if (member.mName == "dat/replay_wanpaku/replay_key.dat") {
      EXPECT_EQ(fReadWholeFile("dat/replay_wanpaku/replay_key.dat"), member.mBytes);
    }
  }
  EXPECT_EQ(fFileSize("dat/replay_wanpaku/replay_key.dat"), 153135u * 112u);
  EXPECT_EQ(fFileSize("dat/replay_wanpaku/replay.dat"), 4u);
  EXPECT_EQ(backend().fLiveModelCount(), 0);
}

}  // namespace
