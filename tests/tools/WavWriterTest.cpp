#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "WavWriter.h"

namespace {

uint32_t fRead32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t fRead16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
std::string fTag(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

}  // namespace

TEST(AssetWavWriter, HeaderDescribesStereo16BitPcmAndSizes) {
  const std::vector<int16_t> samples = {1, -1, 300, -300, 32767, -32768};  // three stereo frames
  const std::vector<uint8_t> file = fEncodeWav(samples, 2, 44100);
  ASSERT_EQ(file.size(), 44u + 12u);
  EXPECT_EQ(fTag(file, 0), "RIFF");
  EXPECT_EQ(fRead32(file, 4), file.size() - 8);
  EXPECT_EQ(fTag(file, 8), "WAVE");
  EXPECT_EQ(fTag(file, 12), "fmt ");
  EXPECT_EQ(fRead32(file, 16), 16u);
  EXPECT_EQ(fRead16(file, 20), 1);  // PCM
  EXPECT_EQ(fRead16(file, 22), 2);
  EXPECT_EQ(fRead32(file, 24), 44100u);
  EXPECT_EQ(fRead32(file, 28), 44100u * 4);  // bytes per second
  EXPECT_EQ(fRead16(file, 32), 4);           // block align
  EXPECT_EQ(fRead16(file, 34), 16);
  EXPECT_EQ(fTag(file, 36), "data");
  EXPECT_EQ(fRead32(file, 40), 12u);
  // Samples follow little-endian, in order.
  EXPECT_EQ(static_cast<int16_t>(fRead16(file, 44)), 1);
  EXPECT_EQ(static_cast<int16_t>(fRead16(file, 46)), -1);
  EXPECT_EQ(static_cast<int16_t>(fRead16(file, 48)), 300);
  EXPECT_EQ(static_cast<int16_t>(fRead16(file, 54)), -32768);
}

TEST(AssetWavWriter, MonoBlockAlignAndEmptySound) {
  const std::vector<uint8_t> file = fEncodeWav({}, 1, 22050);
  ASSERT_EQ(file.size(), 44u);
  EXPECT_EQ(fRead32(file, 4), 36u);
  EXPECT_EQ(fRead32(file, 28), 44100u);  // 22050 frames of 2 bytes
  EXPECT_EQ(fRead16(file, 32), 2);
  EXPECT_EQ(fRead32(file, 40), 0u);
}

TEST(AssetWavWriter, RejectsSampleCountThatSplitsAFrame) {
  EXPECT_THROW(fEncodeWav({1, 2, 3}, 2, 44100), std::invalid_argument);
  EXPECT_THROW(fEncodeWav({1, 2}, 0, 44100), std::invalid_argument);
}

TEST(AssetWavWriter, FloatConversionRoundsAndClipsInsteadOfWrapping) {
  const std::vector<int16_t> pcm = fToPcm16({0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.7f, -3.0f});
  EXPECT_EQ(pcm, (std::vector<int16_t>{0, 16384, -16384, 32767, -32767, 32767, -32767}));
}
