// The pure parts of sound playback: the volume scale, the sample rate a
// sound file was recorded at, and changing a sound's playback rate.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

constexpr int kMixerMaxVolume = 128;  // SDL_mixer's full volume

// The game's volumes run 0 to 255 and are levels of loudness: each step
// changes the power, not the amplitude, so 127 is about 3 dB below full
// and the quiet effects (10, 20) stay audible. The mixer scales amplitude.
inline int fMixerVolume(int volume) {
  const double power = std::clamp(volume, 0, 255) / 255.0;
  return static_cast<int>(std::lround(std::sqrt(power) * kMixerMaxVolume));
}

namespace sound_detail {

inline std::uint32_t fLittle32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

inline std::optional<int> fWaveRate(std::string_view bytes) {
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = fLittle32(bytes, at + 4);
    if (bytes.substr(at, 4) == "fmt ") {
      if (size < 16 || at + 8 + 8 > bytes.size()) return std::nullopt;
      const std::uint32_t rate = fLittle32(bytes, at + 8 + 4);
      if (rate == 0 || rate > 1'000'000) return std::nullopt;
      return static_cast<int>(rate);
    }
    at += 8 + static_cast<std::size_t>(size) + (size & 1u);  // chunks are padded to even sizes
  }
  return std::nullopt;
}

inline std::optional<int> fMpegRate(std::string_view bytes) {
  std::size_t at = 0;
  // An ID3v2 tag first: its size is four 7-bit bytes, plus a footer if flagged.
  if (bytes.size() >= 10 && bytes.substr(0, 3) == "ID3") {
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]) & 0x7F);
    at = 10 + size + ((static_cast<unsigned char>(bytes[5]) & 0x10) != 0 ? 10 : 0);
  }
  constexpr int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
  // The first frame header: eleven sync bits, then fields that must be sane.
  for (; at + 4 <= bytes.size(); ++at) {
    const auto b1 = static_cast<unsigned char>(bytes[at]);
    const auto b2 = static_cast<unsigned char>(bytes[at + 1]);
    const auto b3 = static_cast<unsigned char>(bytes[at + 2]);
    if (b1 != 0xFF || (b2 & 0xE0) != 0xE0) continue;
    const int version = (b2 >> 3) & 3;  // 0: MPEG 2.5, 1: reserved, 2: MPEG 2, 3: MPEG 1
    const int layer = (b2 >> 1) & 3;
    const int bitrate = b3 >> 4;
    const int rate = (b3 >> 2) & 3;
    if (version == 1 || layer == 0 || bitrate == 15 || rate == 3) continue;
    const int row = version == 3 ? 0 : version == 2 ? 1 : 2;
    return kRates[row][rate];
  }
  return std::nullopt;
}

}  // namespace sound_detail

// The sample rate of a RIFF WAVE or MPEG audio file's bytes; nothing when
// the bytes are neither, or the header makes no sense.
inline std::optional<int> fSoundFileSampleRate(std::string_view bytes) {
  if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE") {
    return sound_detail::fWaveRate(bytes);
  }
  return sound_detail::fMpegRate(bytes);
}

// How far a playback rate may move from the recorded one. Beyond this the
// sound is a click or minutes of rumble, and the buffer would be huge.
constexpr double kMaxRateChange = 16.0;

// Interleaved 16-bit frames played `ratio` times faster (a ratio of 2 is an
// octave up and half as long), by linear interpolation between frames.
inline std::vector<std::int16_t> fResampleFrames(const std::int16_t* samples, std::size_t frames, int channels,
                                                 double ratio) {
  std::vector<std::int16_t> out;
  if (samples == nullptr || frames == 0 || channels <= 0 || !(ratio > 0.0)) return out;
  const auto channelCount = static_cast<std::size_t>(channels);
  const auto outFrames = static_cast<std::size_t>(std::floor(static_cast<double>(frames - 1) / ratio)) + 1;
  out.resize(outFrames * channelCount);
  for (std::size_t i = 0; i < outFrames; ++i) {
    const double at = static_cast<double>(i) * ratio;
    const auto left = std::min(static_cast<std::size_t>(at), frames - 1);
    const std::size_t right = std::min(left + 1, frames - 1);
    const double weight = at - static_cast<double>(left);
    for (std::size_t c = 0; c < channelCount; ++c) {
      const double a = samples[left * channelCount + c];
      const double b = samples[right * channelCount + c];
      out[i * channelCount + c] = static_cast<std::int16_t>(std::lround(a + (b - a) * weight));
    }
  }
  return out;
}
