// Sounds in the SDL backend (dummy audio): an effect is decoded the first
// time it plays or changes rate, and a file that cannot be decoded is
// refused at once when its header does not name it, or stays silent when it
// does. Music is read from its file only while it plays.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/CSdlBackend.h"
#include "gamelib/sdl/SdlBackend.h"
#ifdef PLIMO_TESTS_HAVE_MP3_ENCODER
#include "Mp3Encoder.h"
#endif

namespace {

void fPut16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void fPut32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit RIFF WAVE file of `seconds` of a tone; `channels` 0 makes
// one whose header names a rate but whose format no decoder takes.
std::string fWave(double seconds, int channels = 1) {
  constexpr int kRate = 22050;
  const auto frames = static_cast<std::uint32_t>(seconds * kRate);
  std::string data;
  for (std::uint32_t i = 0; i < frames; ++i) {
    fPut16(data, static_cast<int>(8000.0 * std::sin(static_cast<double>(i) * 0.1)));
  }
  std::string out = "RIFF";
  fPut32(out, static_cast<std::uint32_t>(36 + data.size()));
  out += "WAVEfmt ";
  fPut32(out, 16);
  fPut16(out, 1);  // PCM
  fPut16(out, channels);
  fPut32(out, kRate);
  fPut32(out, kRate * 2);
  fPut16(out, 2);
  fPut16(out, 16);
  out += "data";
  fPut32(out, static_cast<std::uint32_t>(data.size()));
  return out + data;
}

class SdlSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    mFolder = std::filesystem::temp_directory_path() / ("plimo-sounds-" + std::to_string(getpid()));
    std::filesystem::create_directories(mFolder);
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetGraphMode(640, 480, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
    mBackend = dynamic_cast<CSdlBackend*>(mSdl.get());
    ASSERT_NE(mBackend, nullptr);
  }
  void TearDown() override {
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
    std::filesystem::remove_all(mFolder);
  }
  std::string fWrite(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = mFolder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  std::filesystem::path mFolder;
  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
  CSdlBackend* mBackend = nullptr;
};

TEST_F(SdlSoundTest, AnEffectIsDecodedWhenItFirstPlays) {
  const int tone = LoadSoundMem(fWrite("tone.wav", fWave(2.0)).c_str());
  const int other = LoadSoundMem(fWrite("other.wav", fWave(0.5)).c_str());
  ASSERT_NE(tone, -1);
  ASSERT_NE(other, -1);
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 0) << "loading keeps the files as they are";
  EXPECT_EQ(ChangeVolumeSoundMem(100, tone), 0);

  EXPECT_EQ(PlaySoundMem(tone, DX_PLAYTYPE_BACK), 0);
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 1);
  EXPECT_EQ(CheckSoundMem(tone), 1) << "two seconds of it, playing now";
  EXPECT_EQ(CheckSoundMem(other), 0);
  EXPECT_EQ(PlaySoundMem(tone, DX_PLAYTYPE_BACK), 0);
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 1) << "decoded once";

  // Back to the recorded rate needs nothing decoded; another rate does.
  EXPECT_EQ(SetFrequencySoundMem(-1, other), 0);
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 1);
  EXPECT_EQ(SetFrequencySoundMem(44100, other), 0);
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 2);
}

TEST_F(SdlSoundTest, AFileThatCannotBeDecodedIsRefusedOrSilent) {
  EXPECT_EQ(LoadSoundMem(fWrite("noise.wav", "neither a WAVE nor an MPEG file").c_str()), -1)
      << "a header that names no sound is decoded at once, and refused";
  const int broken = LoadSoundMem(fWrite("broken.wav", fWave(0.5, 0)).c_str());
  ASSERT_NE(broken, -1) << "its header names a rate: it waits like any other";
  EXPECT_EQ(PlaySoundMem(broken, DX_PLAYTYPE_BACK), 0) << "silent, not an error the game must handle";
  EXPECT_EQ(CheckSoundMem(broken), 0);
  EXPECT_EQ(PlaySoundMem(broken, DX_PLAYTYPE_BACK), 0) << "said once, then quietly nothing";
  EXPECT_EQ(mBackend->fDecodedSoundCount(), 0);
  const int tone = LoadSoundMem(fWrite("tone.wav", fWave(1.0)).c_str());
  EXPECT_EQ(PlaySoundMem(tone, DX_PLAYTYPE_BACK), 0);
  EXPECT_EQ(CheckSoundMem(tone), 1) << "the others play on";
}

#ifdef PLIMO_TESTS_HAVE_MP3_ENCODER
// Ten seconds of a stereo tone: long enough to be streamed.
std::string fMusic(double pitch) {
  std::vector<float> samples;
  for (int i = 0; i < 44100 * 10; ++i) {
    const auto value = static_cast<float>(0.3 * std::sin(static_cast<double>(i) * pitch));
    samples.push_back(value);
    samples.push_back(value);
  }
  const std::vector<uint8_t> encoded = fEncodeMp3(samples, 160);
  return std::string(encoded.begin(), encoded.end());
}

TEST_F(SdlSoundTest, MusicHoldsItsFileOnlyWhilePlaying) {
  const std::string first = fMusic(0.05);
  ASSERT_GT(first.size(), 150'000u) << "long enough to be streamed";
  const int song = LoadSoundMem(fWrite("song.mp3", first).c_str());
  const int other = LoadSoundMem(fWrite("other.mp3", fMusic(0.07)).c_str());
  ASSERT_NE(song, -1);
  ASSERT_NE(other, -1);
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 0);

  EXPECT_EQ(PlaySoundMem(song, DX_PLAYTYPE_LOOP), 0);
  EXPECT_EQ(CheckSoundMem(song), 1);
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 1);
  EXPECT_EQ(PlaySoundMem(song, DX_PLAYTYPE_LOOP, 0), 0) << "already playing: goes on";
  EXPECT_EQ(CheckSoundMem(song), 1);

  EXPECT_EQ(PlaySoundMem(other, DX_PLAYTYPE_BACK), 0);
  EXPECT_EQ(CheckSoundMem(other), 1);
  EXPECT_EQ(CheckSoundMem(song), 0) << "one stream at a time";
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 1) << "the one stopped gave up its file";
  EXPECT_EQ(StopSoundMem(other), 0);
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 0);

  EXPECT_EQ(ChangeVolumeSoundMem(120, song), 0);
  EXPECT_EQ(PlaySoundMem(song, DX_PLAYTYPE_LOOP), 0);
  EXPECT_EQ(CheckSoundMem(song), 1) << "opened again";
  EXPECT_EQ(StopSoundMem(song), 0);

  // Gone after loading: silent, and the others still play.
  std::filesystem::remove(mFolder / "other.mp3");
  EXPECT_EQ(PlaySoundMem(other, DX_PLAYTYPE_BACK), 0);
  EXPECT_EQ(CheckSoundMem(other), 0);
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 0);
  EXPECT_EQ(PlaySoundMem(song, DX_PLAYTYPE_LOOP), 0);
  EXPECT_EQ(CheckSoundMem(song), 1);
  EXPECT_EQ(DeleteSoundMem(song), 0);
  EXPECT_EQ(mBackend->fOpenSoundStreamCount(), 0);
}
#endif

}  // namespace
