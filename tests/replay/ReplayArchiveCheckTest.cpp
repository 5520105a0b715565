// The whole-archive check every replay start makes: what it accepts, what it
// reads out, and each fault it refuses before anything is written.
#include <gtest/gtest.h>

#include "persist/ReplayArchiveFile.h"
#include "support/HeadlessTest.h"
#include "support/ReplayArchives.h"
#include "util/Assert.h"

namespace {

using namespace replay_archives;

class ReplayArchiveCheckTest : public HeadlessTest {};

TEST_F(ReplayArchiveCheckTest, FixturesAndDebugSavesAreAcceptedWithTheirModeSeedAndFrames) {
  const SCheckedReplay wanpaku = fCheckReplayArchive(fFixture("wanpaku_seed789.zip"), "w");
  EXPECT_EQ(wanpaku.mode, 2);
  EXPECT_FALSE(wanpaku.isDebug);
  EXPECT_EQ(wanpaku.seed, 789);
  EXPECT_EQ(wanpaku.frames, 153135);
  EXPECT_EQ(wanpaku.keyLog.fSize(), 153135u * 112u);

  const std::string debug = fArchiveOf("dat/replay_yoiko/", "debug_", fIdleKeyLog(3) + "tail", std::string("\xff\xff\xff\xff", 4));
  const SCheckedReplay checked = fCheckReplayArchive(debug, "d");
  EXPECT_EQ(checked.mode, 1);
  EXPECT_TRUE(checked.isDebug);
  EXPECT_EQ(checked.seed, -1);
  EXPECT_EQ(checked.frames, 3);  // the cut tail is no frame
}

TEST_F(ReplayArchiveCheckTest, EachFaultIsRefusedWithItsReasonAndNothingIsWritten) {
  fMakeDataFolders();
  const std::vector<std::string> reasons = {"seed", "holds 3 bytes", "no whole frame", "not a readable ZIP",
                                            "damaged"};
  const auto bad = fBadArchives("plimo");
  ASSERT_EQ(bad.size(), reasons.size());
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(bad[i].first);
    fWriteWholeFile("bad.zip", bad[i].second);
    try {
      fCheckReplayArchiveFile("bad.zip");
      ADD_FAILURE() << "accepted";
    } catch (const CGameError& error) {
      EXPECT_NE(std::string(error.what()).find(reasons[i]), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("bad.zip"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(fListDirectory("dat/replay_plimo").empty());
  }
  EXPECT_THROW(fCheckReplayArchiveFile("no-such-archive"), CGameError);
}

TEST_F(ReplayArchiveCheckTest, MixedOrExtraMembersAreForeign) {
  const std::string seed("\x01\0\0\0", 4);
  // A plain key log with a debug seed: no pair of one kind.
  EXPECT_THROW(fCheckReplayArchive(CArchiver::fPack({{"dat/replay_plimo/replay_key.dat", fIdleKeyLog(2)},
                                                     {"dat/replay_plimo/debug_replay.dat", seed}}),
                                   "m"),
               CGameError);
  EXPECT_THROW(fCheckReplayArchive(CArchiver::fPack({{"dat/replay_plimo/replay_key.dat", fIdleKeyLog(2)},
                                                     {"dat/replay_plimo/replay.dat", seed},
                                                     {"dat/replay_plimo/extra", "x"}}),
                                   "e"),
               CGameError);
  EXPECT_THROW(fCheckReplayArchive(CArchiver::fPack({{"dat/replay_plimo/notes.txt", "x"}}), "n"), CGameError);
}

}  // namespace
