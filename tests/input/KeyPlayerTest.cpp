#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"

namespace {

constexpr std::array<int, 28> kCodes = {
    KEY_INPUT_J,     KEY_INPUT_I,  KEY_INPUT_L,  KEY_INPUT_K,   KEY_INPUT_LEFT, KEY_INPUT_UP,  KEY_INPUT_RIGHT,
    KEY_INPUT_DOWN,  KEY_INPUT_Z,  KEY_INPUT_X,  KEY_INPUT_C,   KEY_INPUT_A,    KEY_INPUT_S,   KEY_INPUT_D,
    KEY_INPUT_SPACE, KEY_INPUT_F1, KEY_INPUT_F2, KEY_INPUT_F3,  KEY_INPUT_F4,   KEY_INPUT_F5,  KEY_INPUT_F6,
    KEY_INPUT_F7,    KEY_INPUT_F8, KEY_INPUT_F9, KEY_INPUT_F10, KEY_INPUT_F11,  KEY_INPUT_F12, KEY_INPUT_ESCAPE};

using SFrame = std::array<bool, 28>;

bool fIsLive(int k) { return k == static_cast<int>(EGameKey::KeyEsc) || k == static_cast<int>(EGameKey::KeyF1); }

std::string fLogOf(const std::vector<std::vector<std::int32_t>>& frames) {
  std::string bytes;
  for (const auto& frame : frames) {
    for (std::int32_t value : frame) {
      const auto bits = static_cast<std::uint32_t>(value);
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
  }
  return bytes;
}

std::vector<std::int32_t> fFrameWith(std::initializer_list<EGameKey> down) {
  std::vector<std::int32_t> frame(28, 0);
  for (EGameKey key : down) frame[static_cast<std::size_t>(key)] = 1;
  return frame;
}

class KeyPlayerTest : public HeadlessTest {
 protected:
  // A scripted game: a small fixed generator presses keyboard keys and pad
  // bits at random, and the live manager records every frame.
  std::vector<SFrame> fRecordScript(int frameCount) {
    CKeyManager keys;
    keys.fStartRecord("replay_key.tmp", false, false, 0);
    keys.fResumeRecord();
    std::uint32_t state = 12345;
    auto next = [&state] {
      state = state * 1103515245u + 12345u;
      return (state >> 16) & 0x7FFF;
    };
    std::vector<SFrame> seen;
    for (int frame = 0; frame < frameCount; ++frame) {
      backend().fReleaseAllKeys();
      for (int code : kCodes) {
        if (next() % 5 == 0) backend().fSetKey(code, true);
      }
      backend().fSetPad(static_cast<int>(next() & 0xFFF));
      keys.fUpdateKeyState();
      SFrame snapshot{};
      for (int k = 0; k < 28; ++k) snapshot[k] = keys.fIsPressed(static_cast<EGameKey>(k));
      seen.push_back(snapshot);
    }
    keys.fEndRecord();
    backend().fReleaseAllKeys();
    backend().fSetPad(0);
    return seen;
  }

  // What a player answers frame by frame, live keys all up.
  static std::vector<SFrame> fPlay(CKeyPlayer& player, int frameCount) {
    std::vector<SFrame> played;
    player.fStart();
    for (int frame = 0; frame < frameCount; ++frame) {
      player.fUpdateKeyState();
      SFrame snapshot{};
      for (int k = 0; k < 28; ++k) snapshot[k] = player.fIsPressed(static_cast<EGameKey>(k));
      played.push_back(snapshot);
    }
    return played;
  }
};

TEST_F(KeyPlayerTest, ReproducesRecordedSnapshotsFrameForFrame) {
  const int frames = 300;
  const std::vector<SFrame> recorded = fRecordScript(frames);
  ASSERT_EQ(fFileSize("replay_key.tmp"), static_cast<std::uint64_t>(frames) * 112u);

  CKeyPlayer fromFile("replay_key.tmp");
  CKeyPlayer fromBytes(CKeyPlayer::SKeyLogBytes{fReadWholeFile("replay_key.tmp")});
  const std::vector<SFrame> playedFile = fPlay(fromFile, frames);
  const std::vector<SFrame> playedBytes = fPlay(fromBytes, frames);
  int liveKeysSeenDown = 0;
  for (int frame = 0; frame < frames; ++frame) {
    for (int k = 0; k < 28; ++k) {
      if (fIsLive(k)) {
        // Escape and F1 come from the live keyboard, which is idle here.
        EXPECT_FALSE(playedFile[frame][k]);
        liveKeysSeenDown += recorded[frame][k] ? 1 : 0;
      } else {
        EXPECT_EQ(playedFile[frame][k], recorded[frame][k]) << "frame " << frame << " key " << k;
      }
    }
    EXPECT_EQ(playedBytes[frame], playedFile[frame]) << "frame " << frame;
  }
  EXPECT_GT(liveKeysSeenDown, 0);  // the script did press them
  EXPECT_TRUE(fromFile.fIsLogFinished());
}

TEST_F(KeyPlayerTest, PushOnceFollowsTheRecordedPresses) {
  const std::string log = fLogOf({fFrameWith({EGameKey::KeyZ}), fFrameWith({}), fFrameWith({EGameKey::KeyZ}),
                                  fFrameWith({EGameKey::KeyZ}), fFrameWith({}), fFrameWith({EGameKey::KeyZ})});
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{log});
  player.fStart();
  std::vector<bool> answers;
  for (int frame = 0; frame < 6; ++frame) {
    player.fUpdateKeyState();
    answers.push_back(player.fIsPush(EGameKey::KeyZ, true));
  }
  // The first press was held "before" the player existed: latches start set.
  EXPECT_EQ(answers, (std::vector<bool>{false, false, true, false, false, true}));
}

TEST_F(KeyPlayerTest, TriggeredUsesTheRecordingExceptForEscapeF1F2) {
  const std::string log = fLogOf({fFrameWith({}), fFrameWith({EGameKey::KeyX, EGameKey::KeyF2, EGameKey::KeyEsc})});
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{log});
  player.fStart();
  player.fUpdateKeyState();
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyX), 0);
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyF2), 0);
  EXPECT_EQ(player.fIsRecordedTrigger(EGameKey::KeyEsc), 0);
  player.fUpdateKeyState();
  // The live keyboard is idle: the recorded F2 and Escape do not trigger.
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyX), 1);
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyF2), 0);
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyEsc), 0);
  // F2 is live only for triggering; its recorded state still answers fIsPressed.
  EXPECT_TRUE(player.fIsPressed(EGameKey::KeyF2));
  EXPECT_FALSE(player.fIsPressed(EGameKey::KeyEsc));
  EXPECT_EQ(player.fIsRecordedTrigger(EGameKey::KeyEsc), 1);
}

TEST_F(KeyPlayerTest, EscapeIsLiveEvenThoughRecordedUp) {
  const std::string log = fLogOf({fFrameWith({}), fFrameWith({}), fFrameWith({}), fFrameWith({})});
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{log});
  player.fStart();
  player.fUpdateKeyState();
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyEsc), 0);  // seen up: the live latch clears
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyF1), 0);
  backend().fSetKey(KEY_INPUT_ESCAPE, true);
  backend().fSetKey(KEY_INPUT_F1, true);
  player.fUpdateKeyState();
  EXPECT_EQ(player.fIsDownNow(EGameKey::KeyEsc), 1);
  EXPECT_TRUE(player.fIsPressed(EGameKey::KeyF1));
  EXPECT_EQ(player.fIsLiveDown(EGameKey::KeyEsc), 1);
  EXPECT_TRUE(player.fIsLiveDownExact(EGameKey::KeyEsc));
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyEsc), 1);
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyF1), 1);
  player.fUpdateKeyState();
  EXPECT_EQ(player.fIsTriggered(EGameKey::KeyEsc), 0);  // once per press
  // A live key that is not one of the three stays out of the game.
  backend().fSetKey(KEY_INPUT_Z, true);
  player.fUpdateKeyState();
  EXPECT_FALSE(player.fIsPressed(EGameKey::KeyZ));
  EXPECT_EQ(player.fIsLiveDown(EGameKey::KeyZ), 1);
  EXPECT_TRUE(player.fIsLivePush(EGameKey::KeyZ, true));
  EXPECT_FALSE(player.fIsLivePush(EGameKey::KeyZ, false));  // recorded answer
}

TEST_F(KeyPlayerTest, TheLogsEndGivesNoKeys) {
  const std::string log = fLogOf({fFrameWith({EGameKey::Left, EGameKey::KeyZ}), fFrameWith({EGameKey::Left})});
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{log});
  player.fStart();
  player.fUpdateKeyState();
  player.fUpdateKeyState();
  EXPECT_TRUE(player.fIsPressed(EGameKey::Left));
  EXPECT_TRUE(player.fIsLogFinished());
  for (int frame = 0; frame < 5; ++frame) {
    player.fUpdateKeyState();
    for (int k = 0; k < 28; ++k) EXPECT_EQ(player.fIsDownNow(static_cast<EGameKey>(k)), 0);
    EXPECT_EQ(player.fGetDirection(), EDirectionTenkey::Neutral);
  }
  // An empty log plays as nothing held.
  CKeyPlayer empty(CKeyPlayer::SKeyLogBytes{""});
  empty.fStart();
  empty.fUpdateKeyState();
  EXPECT_FALSE(empty.fIsPressed(EGameKey::Left));
}

TEST_F(KeyPlayerTest, PartialLastFrameIsReadAsFarAsItGoes) {
  const std::string whole =
      fLogOf({fFrameWith({EGameKey::Up}), fFrameWith({EGameKey::Left, EGameKey::KeyZ, EGameKey::KeyC})});
  // 112 + 40 bytes: the second frame keeps its first ten values (Left..KeyX);
  // KeyC, the eleventh, is cut off.
  fWriteWholeFile("cut.dat", whole.substr(0, 112 + 40));
  // From the file, from its bytes and from the packed log alike.
  for (int pass = 0; pass < 3; ++pass) {
    std::unique_ptr<CKeyPlayer> player =
        pass == 0   ? std::make_unique<CKeyPlayer>("cut.dat")
        : pass == 1 ? std::make_unique<CKeyPlayer>(CKeyPlayer::SKeyLogBytes{whole.substr(0, 112 + 40)})
                    : std::make_unique<CKeyPlayer>(std::make_shared<const CCompactLog>(whole.substr(0, 112 + 40)));
    player->fStart();
    player->fUpdateKeyState();
    EXPECT_TRUE(player->fIsPressed(EGameKey::Up));
    player->fUpdateKeyState();
    EXPECT_TRUE(player->fIsPressed(EGameKey::Left));
    EXPECT_TRUE(player->fIsPressed(EGameKey::KeyZ));
    EXPECT_FALSE(player->fIsPressed(EGameKey::Up));
    EXPECT_FALSE(player->fIsPressed(EGameKey::KeyC));
    EXPECT_TRUE(player->fIsLogFinished());
    player->fUpdateKeyState();
    EXPECT_FALSE(player->fIsPressed(EGameKey::Left));
  }
}

TEST_F(KeyPlayerTest, TailOfTenBytesOrLessIsNotAFrame) {
  const std::string frame = fLogOf({fFrameWith({EGameKey::Left})});
  // Eleven bytes is a frame (cut short); ten is not.
  CKeyPlayer eleven(CKeyPlayer::SKeyLogBytes{frame + frame.substr(0, 11)});
  CKeyPlayer ten(CKeyPlayer::SKeyLogBytes{frame + frame.substr(0, 10)});
  for (CKeyPlayer* player : {&eleven, &ten}) {
    player->fStart();
    player->fUpdateKeyState();
    EXPECT_TRUE(player->fIsPressed(EGameKey::Left));
    player->fUpdateKeyState();
  }
  EXPECT_TRUE(eleven.fIsPressed(EGameKey::Left));
  EXPECT_FALSE(ten.fIsPressed(EGameKey::Left));
}

TEST_F(KeyPlayerTest, StoppedPlayerKeepsItsFrame) {
  const std::string log = fLogOf({fFrameWith({EGameKey::KeyA}), fFrameWith({EGameKey::KeyS})});
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{log});
  EXPECT_FALSE(player.fIsPlaying());
  player.fUpdateKeyState();  // not started: reads nothing
  EXPECT_FALSE(player.fIsPressed(EGameKey::KeyA));
  player.fStart();
  player.fUpdateKeyState();
  EXPECT_TRUE(player.fIsPressed(EGameKey::KeyA));
  player.fStop();
  player.fUpdateKeyState();
  EXPECT_TRUE(player.fIsPressed(EGameKey::KeyA));
  player.fStart();
  player.fUpdateKeyState();
  EXPECT_TRUE(player.fIsPressed(EGameKey::KeyS));
}

TEST_F(KeyPlayerTest, EndClosesTheLog) {
  fWriteWholeFile("log.dat", fLogOf({fFrameWith({EGameKey::KeyA}), fFrameWith({EGameKey::KeyA})}));
  CKeyPlayer player("log.dat");
  player.fStart();
  player.fUpdateKeyState();
  player.fEnd();
  EXPECT_FALSE(player.fIsPlaying());
  // The file is free again: it can be replaced, as a new best does.
  EXPECT_TRUE(fDeleteFile("log.dat"));
  player.fStart();
  player.fUpdateKeyState();
  EXPECT_FALSE(player.fIsPressed(EGameKey::KeyA));
}

TEST_F(KeyPlayerTest, MissingLogIsAReportedError) {
  EXPECT_THROW(CKeyPlayer("dat/replay_plimo/replay_key.dat"), CGameError);
}

TEST_F(KeyPlayerTest, PadQuestionsAreProgrammingErrors) {
  CKeyPlayer player(CKeyPlayer::SKeyLogBytes{""});
  EXPECT_DEATH(player.fGetPressedJoypadButton(), "CKeyManager`s fGetPressedJoypadButton mus'nt call");
  EXPECT_DEATH(player.fSetupPadButtonFromSetting(), "CKeyManager`s fSetupPadButtonFromSetting mus'nt call");
  EXPECT_DEATH(player.fIsPressed(static_cast<EGameKey>(28)), "EGameKey out of range");
}

}  // namespace
