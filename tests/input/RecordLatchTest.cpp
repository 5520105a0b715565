#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "support/HeadlessTest.h"

namespace {

class RecordLatchTest : public HeadlessTest {};

// A key held from the menu into a new game must behave in the game as it
// will in the game's replay, whose player starts with every latch set.
TEST_F(RecordLatchTest, RecordingStartsFromTheLatchesOfAFreshPlayer) {
  CKeyManager keys;
  keys.fUpdateKeyState();
  EXPECT_FALSE(keys.fIsPush(EGameKey::Left, true));  // the menu saw Left up

  backend().fSetKey(KEY_INPUT_J, true);  // held as the game starts
  keys.fStartRecord("keys.log", false, false, 0);
  keys.fResumeRecord();
  std::vector<bool> live;
  for (int frame = 0; frame < 3; ++frame) {
    if (frame == 2) backend().fSetKey(KEY_INPUT_J, false);
    keys.fUpdateKeyState();
    live.push_back(keys.fIsPush(EGameKey::Left, true));
  }
  keys.fEndRecord();

  CKeyPlayer player("keys.log");
  player.fStart();
  std::vector<bool> replayed;
  for (int frame = 0; frame < 3; ++frame) {
    player.fUpdateKeyState();
    replayed.push_back(player.fIsPush(EGameKey::Left, true));
  }
  EXPECT_EQ(live, replayed);
  EXPECT_EQ(live, (std::vector<bool>{false, false, false}));
}

}  // namespace
