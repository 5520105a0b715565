#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "input/CKeyManager.h"
#include "input/CKeyRecorder.h"
#include "replay/KeyLog.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"

namespace {

class KeyRecordTest : public HeadlessTest {
 protected:
  void fFrame(CKeyManager& keys, const std::vector<int>& codes, int pad = 0) {
    backend().fReleaseAllKeys();
    for (int code : codes) backend().fSetKey(code, true);
    backend().fSetPad(pad);
    keys.fUpdateKeyState();
  }

  // The log as frames of 28 values, decoded by hand (little-endian).
  static std::vector<std::vector<std::int32_t>> fReadLog(const std::string& path) {
    const std::string bytes = fReadWholeFile(path);
    EXPECT_EQ(bytes.size() % 112, 0u);
    std::vector<std::vector<std::int32_t>> frames;
    for (std::size_t at = 0; at + 112 <= bytes.size(); at += 112) {
      std::vector<std::int32_t> frame;
      for (std::size_t k = 0; k < 28; ++k) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + k * 4);
        frame.push_back(
            static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24)));
      }
      frames.push_back(frame);
    }
    return frames;
  }

  static std::vector<std::int32_t> fFrameWith(std::initializer_list<EGameKey> down) {
    std::vector<std::int32_t> frame(28, 0);
    for (EGameKey key : down) frame[static_cast<std::size_t>(key)] = 1;
    return frame;
  }
};

TEST_F(KeyRecordTest, EveryFrameIs112LittleEndianBytesInKeyOrder) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_J});
  fFrame(keys, {});
  fFrame(keys, {KEY_INPUT_ESCAPE, KEY_INPUT_Z}, PAD_INPUT_8);
  keys.fEndRecord();

  const std::string bytes = fReadWholeFile("log.tmp");
  ASSERT_EQ(bytes.size(), 3u * 112u);
  // Frame 0: Left is the first integer, 01 00 00 00.
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8));
  // Frame 2: Escape is the last integer of the frame.
  EXPECT_EQ(bytes.substr(2 * 112 + 27 * 4, 4), std::string("\x01\x00\x00\x00", 4));
  const auto frames = fReadLog("log.tmp");
  EXPECT_EQ(frames[0], fFrameWith({EGameKey::Left}));
  EXPECT_EQ(frames[1], fFrameWith({}));
  EXPECT_EQ(frames[2], fFrameWith({EGameKey::KeyZ, EGameKey::KeySpace, EGameKey::KeyEsc}));
  EXPECT_FALSE(keys.fIsRecording());
}

TEST_F(KeyRecordTest, NothingReachesTheFileBeforeTheRecordingEnds) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  EXPECT_TRUE(fFileExists("log.tmp"));
  keys.fResumeRecord();
  for (int frame = 0; frame < 20; ++frame) fFrame(keys, {KEY_INPUT_X});
  EXPECT_EQ(fFileSize("log.tmp"), 0u);
  EXPECT_EQ(keys.fRecorder().fBufferedFrameCount(), 20u);
  keys.fEndRecord();
  EXPECT_EQ(fFileSize("log.tmp"), 20u * 112u);
  EXPECT_EQ(keys.fRecorder().fBufferedFrameCount(), 0u);
  // Frames after the end are not recorded and the log is left alone.
  fFrame(keys, {KEY_INPUT_X});
  keys.fEndRecord();
  EXPECT_EQ(fFileSize("log.tmp"), 20u * 112u);
}

TEST_F(KeyRecordTest, ALongRecordingIsBufferedAtABitAKeyAndWrittenExactly) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  keys.fResumeRecord();
  const int codes[] = {KEY_INPUT_J, KEY_INPUT_X, KEY_INPUT_Z, KEY_INPUT_SPACE, KEY_INPUT_ESCAPE};
  constexpr int kFrames = 10'000;
  for (int frame = 0; frame < kFrames; ++frame) {
    std::vector<int> down;
    for (int k = 0; k < 5; ++k) {
      if ((frame >> k) % 3 == 1) down.push_back(codes[k]);
    }
    fFrame(keys, down);
  }
  EXPECT_EQ(keys.fRecorder().fBufferedFrameCount(), static_cast<std::size_t>(kFrames));
  EXPECT_LT(keys.fRecorder().fBufferBytes(), kFrames * 112u / 8) << "not a bit a key";
  keys.fEndRecord();
  EXPECT_EQ(keys.fRecorder().fBufferBytes(), 0u);
  const auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), static_cast<std::size_t>(kFrames));
  const EGameKey keysOf[] = {EGameKey::Left, EGameKey::KeyX, EGameKey::KeyZ, EGameKey::KeySpace, EGameKey::KeyEsc};
  for (int frame = 0; frame < kFrames; ++frame) {
    std::vector<std::int32_t> expected(28, 0);
    for (int k = 0; k < 5; ++k) {
      if ((frame >> k) % 3 == 1) expected[static_cast<std::size_t>(keysOf[k])] = 1;
    }
    ASSERT_EQ(frames[static_cast<std::size_t>(frame)], expected) << "frame " << frame;
  }
}

TEST_F(KeyRecordTest, ValuesOtherThanZeroAndOneAreKeptWhole) {
  CKeyRecorder recorder;
  recorder.fStart("log.tmp", false, false, 0);
  recorder.fResume();
  std::array<std::int32_t, kGameKeyCount> snapshot{};
  snapshot[0] = 1;
  recorder.fRecordFrame(snapshot);
  snapshot[1] = 2;
  snapshot[27] = -1;
  recorder.fRecordFrame(snapshot);
  snapshot = {};
  snapshot[5] = 1;
  recorder.fRecordFrame(snapshot);
  recorder.fEnd();
  const auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 3u);
  std::vector<std::int32_t> expected(28, 0);
  expected[0] = 1;
  EXPECT_EQ(frames[0], expected);
  expected[1] = 2;
  expected[27] = -1;
  EXPECT_EQ(frames[1], expected);
  expected.assign(28, 0);
  expected[5] = 1;
  EXPECT_EQ(frames[2], expected);
}

TEST_F(KeyRecordTest, OnlyFramesWhileResumedAreRecorded) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  fFrame(keys, {KEY_INPUT_A});  // started but not resumed
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_S});
  keys.fPauseRecord();
  fFrame(keys, {KEY_INPUT_D});
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_C});
  keys.fEndRecord();
  const auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], fFrameWith({EGameKey::KeyS}));
  EXPECT_EQ(frames[1], fFrameWith({EGameKey::KeyC}));
}

TEST_F(KeyRecordTest, FlushWritesAndKeepsRecording) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_A});
  fFrame(keys, {KEY_INPUT_S});
  keys.fFlushRecord();
  EXPECT_EQ(fFileSize("log.tmp"), 2u * 112u);
  EXPECT_TRUE(keys.fIsRecording());
  fFrame(keys, {KEY_INPUT_D});
  keys.fFlushRecord();
  keys.fFlushRecord();  // an empty buffer adds nothing
  keys.fEndRecord();
  const auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2], fFrameWith({EGameKey::KeyD}));
}

TEST_F(KeyRecordTest, AppendKeepsTheOldLogAndTruncateStartsAfresh) {
  {
    CKeyManager keys;
    keys.fStartRecord("log.tmp", false, false, 0);
    keys.fResumeRecord();
    fFrame(keys, {KEY_INPUT_A});
    fFrame(keys, {KEY_INPUT_A});
    keys.fEndRecord();
  }
  CKeyManager keys;
  keys.fStartRecord("log.tmp", true, false, 0);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_S});
  keys.fEndRecord();
  auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0], fFrameWith({EGameKey::KeyA}));
  EXPECT_EQ(frames[2], fFrameWith({EGameKey::KeyS}));

  // A new game truncates, even if it records nothing at all.
  keys.fStartRecord("log.tmp", false, false, 0);
  EXPECT_EQ(fFileSize("log.tmp"), 0u);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_D});
  keys.fEndRecord();
  frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], fFrameWith({EGameKey::KeyD}));
}

TEST_F(KeyRecordTest, StopWhenIdleDropsIdleFramesPastTheLimit) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, true, 3);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_Z});
  for (int frame = 0; frame < 5; ++frame) fFrame(keys, {});  // idle 1..5: 1 and 2 kept
  fFrame(keys, {KEY_INPUT_X});                               // activity resets the count
  fFrame(keys, {});
  keys.fEndRecord();
  const auto frames = fReadLog("log.tmp");
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0], fFrameWith({EGameKey::KeyZ}));
  EXPECT_EQ(frames[1], fFrameWith({}));
  EXPECT_EQ(frames[2], fFrameWith({}));
  EXPECT_EQ(frames[3], fFrameWith({EGameKey::KeyX}));
  EXPECT_EQ(frames[4], fFrameWith({}));
}

TEST_F(KeyRecordTest, IdleFramesAreKeptWithoutStopWhenIdle) {
  CKeyManager keys;
  keys.fStartRecord("log.tmp", false, false, 0);
  keys.fResumeRecord();
  for (int frame = 0; frame < 50; ++frame) fFrame(keys, {});
  keys.fEndRecord();
  EXPECT_EQ(fFileSize("log.tmp"), 50u * 112u);
}

TEST_F(KeyRecordTest, RestartingEndsTheEarlierLogIntoItsOwnFile) {
  CKeyManager keys;
  keys.fStartRecord("first.tmp", false, false, 0);
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_A});
  keys.fStartRecord("second.tmp", false, false, 0);
  EXPECT_FALSE(keys.fIsRecording());
  keys.fResumeRecord();
  fFrame(keys, {KEY_INPUT_S});
  fFrame(keys, {KEY_INPUT_S});
  keys.fEndRecord();
  EXPECT_EQ(fReadLog("first.tmp"), (std::vector<std::vector<std::int32_t>>{fFrameWith({EGameKey::KeyA})}));
  EXPECT_EQ(fReadLog("second.tmp").size(), 2u);
}

TEST_F(KeyRecordTest, MissingFolderIsAReportedError) {
  CKeyManager keys;
  EXPECT_THROW(keys.fStartRecord("no/such/folder/log.tmp", false, false, 0), CGameError);
  EXPECT_FALSE(keys.fIsRecording());
  keys.fEndRecord();  // nothing open: harmless
}

TEST_F(KeyRecordTest, ResumingWithoutALogIsAProgrammingError) {
  CKeyManager keys;
  EXPECT_DEATH(keys.fResumeRecord(), "fResumeRecord before fStartRecord");
}

}  // namespace
