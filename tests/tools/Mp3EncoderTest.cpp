// The music loops rely on the LAME tag: a gapless decoder drops the encoder
// delay at the start and the padding at the end, and what is left must be
// exactly the samples that went in.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Mp3Encoder.h"

namespace {

std::vector<float> fSine(size_t frames) {
  std::vector<float> stereo;
  for (size_t i = 0; i < frames; ++i) {
    const float s = 0.5f * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 440.0 * i / 44100.0));
    stereo.push_back(s);
    stereo.push_back(-s);
  }
  return stereo;
}

// Length of the MPEG-1 Layer III frame whose header starts at `at`, or 0.
size_t fFrameLength(const std::vector<uint8_t>& mp3, size_t at) {
  if (at + 4 > mp3.size() || mp3[at] != 0xFF || (mp3[at + 1] & 0xFE) != 0xFA) return 0;
  static const int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  const int kbps = kKbps[mp3[at + 2] >> 4];
  const int rateIndex = (mp3[at + 2] >> 2) & 3;
  const int padding = (mp3[at + 2] >> 1) & 1;
  if (kbps == 0 || rateIndex != 0) return 0;  // 44100 Hz is all we write
  return static_cast<size_t>(144 * kbps * 1000 / 44100 + padding);
}

}  // namespace

TEST(AssetMp3Encoder, LameTagTrimsBackToExactlyTheInputLength) {
  for (size_t frames : {size_t{44100}, size_t{44100 + 1237}, size_t{1000}}) {
    const std::vector<uint8_t> mp3 = fEncodeMp3(fSine(frames), 128);
    ASSERT_GT(mp3.size(), 200u);
    EXPECT_NE(std::string(mp3.begin(), mp3.begin() + 3), "ID3");
    // The first frame is the Info tag (after 4 header and 32 side-info bytes).
    ASSERT_EQ(std::string(mp3.begin() + 36, mp3.begin() + 40), "Info");
    const size_t lame = 36 + 120;  // the LAME extension after the Xing fields
    ASSERT_EQ(std::string(mp3.begin() + lame, mp3.begin() + lame + 4), "LAME");
    const size_t at = lame + 21;
    const int delay = mp3[at] << 4 | mp3[at + 1] >> 4;
    const int padding = (mp3[at + 1] & 0x0F) << 8 | mp3[at + 2];
    EXPECT_GE(delay, 576);
    // Walk the audio frames after the tag frame.
    size_t audioFrames = 0;
    size_t pos = fFrameLength(mp3, 0);
    ASSERT_GT(pos, 0u);
    while (pos < mp3.size()) {
      const size_t length = fFrameLength(mp3, pos);
      ASSERT_GT(length, 0u) << "broken frame at byte " << pos;
      pos += length;
      ++audioFrames;
    }
    EXPECT_EQ(pos, mp3.size());
    EXPECT_EQ(audioFrames * 1152, delay + frames + padding) << frames;
  }
}

TEST(AssetMp3Encoder, SameSamplesGiveSameBytes) {
  const std::vector<float> samples = fSine(20000);
  EXPECT_EQ(fEncodeMp3(samples, 128), fEncodeMp3(samples, 128));
}
