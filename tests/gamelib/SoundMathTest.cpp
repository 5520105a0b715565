// Sound helpers: the volume scale, reading a file's sample rate, and
// changing the playback rate.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/sdl/SoundMath.h"

namespace {

TEST(SdlSoundVolume, MapsTheGamesScaleOntoTheMixers) {
  EXPECT_EQ(fMixerVolume(0), 0);
  EXPECT_EQ(fMixerVolume(255), kMixerMaxVolume);
  EXPECT_EQ(fMixerVolume(-20), 0);
  EXPECT_EQ(fMixerVolume(1000), kMixerMaxVolume);
  int previous = 0;
  for (int volume = 0; volume <= 255; ++volume) {
    const int mixer = fMixerVolume(volume);
    EXPECT_GE(mixer, previous) << "louder never maps quieter, at " << volume;
    EXPECT_LE(mixer, kMixerMaxVolume);
    previous = mixer;
  }
  // Half the power is about 3 dB down: 71 % of the amplitude, not half.
  EXPECT_NEAR(fMixerVolume(127), 90, 1);
  // The game's quietest effects (10 and 20) stay audible.
  EXPECT_GE(fMixerVolume(10), 20);
  EXPECT_GE(fMixerVolume(20), 30);
}

void fPut32(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A RIFF WAVE file with an odd-sized chunk before its format chunk.
std::string fWave(std::uint32_t rate) {
  std::string chunks = "WAVE";
  chunks += "LIST";
  fPut32(chunks, 3);
  chunks += std::string("abc") + '\0';  // padded to an even size
  chunks += "fmt ";
  fPut32(chunks, 16);
  chunks += std::string("\x01\x00\x02\x00", 4);  // PCM, two channels
  fPut32(chunks, rate);
  fPut32(chunks, rate * 4);
  chunks += std::string("\x04\x00\x10\x00", 4);
  chunks += "data";
  fPut32(chunks, 0);
  std::string file = "RIFF";
  fPut32(file, static_cast<std::uint32_t>(chunks.size()));
  return file + chunks;
}

TEST(SdlSoundFile, ReadsTheSampleRateOfWaveAndMp3Files) {
  EXPECT_EQ(fSoundFileSampleRate(fWave(44100)), 44100);
  EXPECT_EQ(fSoundFileSampleRate(fWave(22050)), 22050);

  // MPEG-1 layer III, 128 kbit/s, 44.1 kHz; then 48 kHz; then MPEG-2 at 22.05 kHz.
  EXPECT_EQ(fSoundFileSampleRate(std::string("\xFF\xFB\x90\x64", 4)), 44100);
  EXPECT_EQ(fSoundFileSampleRate(std::string("\xFF\xFB\x94\x64", 4)), 48000);
  EXPECT_EQ(fSoundFileSampleRate(std::string("\xFF\xF3\x80\x64", 4)), 22050);
  // Behind an ID3v2 tag of 129 bytes (size bytes 0 0 1 1) whose contents look
  // like a frame header at another rate.
  std::string tagged = std::string("ID3\x04\x00\x00\x00\x00\x01\x01", 10);
  tagged += std::string("\xFF\xFB\x94\x64", 4) + std::string(125, 'x');
  tagged += std::string("\xFF\xFB\x90\x64", 4);
  EXPECT_EQ(fSoundFileSampleRate(tagged), 44100);
  // Junk before the first frame is skipped; reserved fields are not frames.
  EXPECT_EQ(fSoundFileSampleRate(std::string("\x00\x00\xFF\xFB\x9C\x64\xFF\xFB\x90\x64", 10)), 44100);
}

TEST(SdlSoundFile, GivesNoRateForWhatIsNotASoundFile) {
  EXPECT_FALSE(fSoundFileSampleRate("").has_value());
  EXPECT_FALSE(fSoundFileSampleRate("plain text, no frames here").has_value());
  std::string cut = fWave(44100);
  cut.resize(30);  // ends inside the format chunk
  EXPECT_FALSE(fSoundFileSampleRate(cut).has_value());
  std::string noFormat = "RIFF";
  fPut32(noFormat, 12);
  noFormat += "WAVEdata";
  fPut32(noFormat, 0xFFFFFFF0u);  // a length that runs far past the end
  EXPECT_FALSE(fSoundFileSampleRate(noFormat).has_value());
}

TEST(SdlSoundResample, ChangesLengthAndKeepsChannelsApart) {
  // Stereo: the left channel ramps up, the right ramps down.
  std::vector<std::int16_t> stereo;
  for (int i = 0; i < 9; ++i) {
    stereo.push_back(static_cast<std::int16_t>(i * 100));
    stereo.push_back(static_cast<std::int16_t>(-i * 100));
  }
  EXPECT_EQ(fResampleFrames(stereo.data(), 9, 2, 1.0), stereo);

  const auto faster = fResampleFrames(stereo.data(), 9, 2, 2.0);
  ASSERT_EQ(faster.size(), 5u * 2u);  // frames 0, 2, 4, 6, 8
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(faster[2 * i], static_cast<std::int16_t>(200 * i));
    EXPECT_EQ(faster[2 * i + 1], static_cast<std::int16_t>(-200 * static_cast<int>(i)));
  }

  const auto slower = fResampleFrames(stereo.data(), 9, 2, 0.5);
  ASSERT_EQ(slower.size(), 17u * 2u);  // every frame and every midpoint
  EXPECT_EQ(slower[2], 50);             // halfway between 0 and 100
  EXPECT_EQ(slower[3], -50);
  EXPECT_EQ(slower[32], 800);           // the last frame is kept
}

TEST(SdlSoundResample, RefusesWhatCannotBeResampled) {
  const std::int16_t mono[4] = {1, 2, 3, 4};
  EXPECT_TRUE(fResampleFrames(nullptr, 4, 1, 2.0).empty());
  EXPECT_TRUE(fResampleFrames(mono, 0, 1, 2.0).empty());
  EXPECT_TRUE(fResampleFrames(mono, 4, 0, 2.0).empty());
  EXPECT_TRUE(fResampleFrames(mono, 4, 1, 0.0).empty());
  EXPECT_TRUE(fResampleFrames(mono, 4, 1, -1.0).empty());
  EXPECT_EQ(fResampleFrames(mono, 1, 1, 3.0), std::vector<std::int16_t>{1});
}

}  // namespace
