// What the theatre draws over a replay's play: a downloaded replay's name and
// date stay readable while the piece falls behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/Globals.h"
#include "input/CKeyManager.h"
#include "stage/CPlimoBall.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "support/GameTest.h"
#include "support/ReplayArchives.h"

namespace {

using SDrawnItem = CHeadlessBackend::SDrawnItem;

class TheatreOverlayTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    // The small font as the game makes it, so that the name is measured.
    mSavedFont = gFontSmall;
    gFontSmall = CreateFontToHandle("Arial Black", 12, 0, DX_FONTTYPE_NORMAL);
  }
  void TearDown() override {
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
    DeleteFontToHandle(gFontSmall);
    gFontSmall = mSavedFont;
    GameTest::TearDown();
  }
  int mSavedFont = -1;
};

TEST_F(TheatreOverlayTest, ADownloadedReplaysNameAndDateAreDrawnLastOnASolidBandOverTheFallingPiece) {
  SReplayInfo info = SReplayInfo::fReplay(2);
  fWriteWholeFile(info.path, replay_archives::fFixture("wanpaku_seed789.zip"));
  info.player = "Someone";
  info.date = "2026/12/07 17:12:45";
  const std::string who = info.player + "  " + info.date;
  gCurrentScene = std::make_unique<CReplayTheatre>(2, info);
  auto& theatre = *static_cast<CReplayTheatre*>(gCurrentScene.fGet());
  theatre.fAnimate();
  CPlimoStage& stage = theatre.fStage();

  // Where the name shows.
  auto nameRect = [&] {
    backend().fClearLog();
    backend().fSetLogging(true);
    theatre.fDraw();
    backend().fSetLogging(false);
    for (const SDrawnItem& item : backend().fDrawn()) {
      if (item.text == who) return item;
    }
    return SDrawnItem{};
  };
  const SDrawnItem shown = nameRect();
  ASSERT_EQ(shown.text, who);
  // A piece falling behind it (its disc a dozen pixels across at least):
  // from the second spawn on, frame by frame.
  ASSERT_GT(theatre.fMarks().spawns.size(), 2u);
  theatre.fJumpTo(theatre.fMarks().spawns[1]);
  bool behind = false;
  for (int i = 0; i < 20000 && !behind; ++i) {
    ASSERT_TRUE(theatre.fStepForward());
    const SRuleBall* piece = stage.rules.fPiece();
    if (piece == nullptr) continue;
    stage.fApplyView();
    const VECTOR at = ConvWorldPosToScreenPos(fBallWorldPosition(*piece, stage.originA, stage.originB));
    constexpr float kRadius = 12.0f;
    behind = at.x + kRadius > shown.x1 && at.x - kRadius < shown.x2 && at.y + kRadius > shown.y1 &&
             at.y - kRadius < shown.y2;
  }
  ASSERT_TRUE(behind) << "no piece fell behind the name";

  backend().fClearLog();
  backend().fSetLogging(true);
  theatre.fDraw();
  backend().fSetLogging(false);
  const auto& drawn = backend().fDrawn();
  const auto name = std::find_if(drawn.begin(), drawn.end(), [&](const SDrawnItem& item) { return item.text == who; });
  ASSERT_NE(name, drawn.end());
  // Nothing drawn after it meets it, and a solid box drawn just before holds it.
  for (auto later = name + 1; later != drawn.end(); ++later) {
    EXPECT_FALSE(later->x1 < name->x2 && name->x1 < later->x2 && later->y1 < name->y2 && name->y1 < later->y2)
        << "drawn over the name: " << later->text;
  }
  ASSERT_NE(name, drawn.begin());
  const SDrawnItem& band = *(name - 1);
  EXPECT_EQ(band.kind, SDrawnItem::EKind::Box);
  EXPECT_EQ(band.blendMode, DX_BLENDMODE_NOBLEND) << "a band the piece shows through";
  EXPECT_TRUE(band.x1 <= name->x1 && band.y1 <= name->y1 && band.x2 >= name->x2 && band.y2 >= name->y2);
  // Every model (the piece among them) comes before it.
  const auto log = backend().fLogOf({"MV1DrawModel", "DrawStringToHandle"});
  const auto lastModel = std::find_if(log.rbegin(), log.rend(), [](const std::string& call) {
    return call.rfind("MV1DrawModel", 0) == 0;
  });
  const auto nameCall = std::find_if(log.begin(), log.end(), [&](const std::string& call) {
    return call.find(who) != std::string::npos;
  });
  ASSERT_NE(lastModel, log.rend());
  ASSERT_NE(nameCall, log.end());
  EXPECT_LT(log.rend() - lastModel - 1, nameCall - log.begin());

  // A replay of one's own has no name and no band.
  gCurrentScene.fClear();
  info.player.clear();
  gCurrentScene = std::make_unique<CReplayTheatre>(2, info);
  gCurrentScene->fAnimate();
  backend().fClearLog();
  backend().fSetLogging(true);
  gCurrentScene->fDraw();
  backend().fSetLogging(false);
  for (const SDrawnItem& item : backend().fDrawn()) {
    EXPECT_FALSE(item.kind == SDrawnItem::EKind::Box && item.y1 <= 116 && item.y2 >= 128 && item.x1 < 20 &&
                 item.blendMode == DX_BLENDMODE_NOBLEND);
  }
}

}  // namespace
