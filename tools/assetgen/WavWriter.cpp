#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

void fPut32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void fPut16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void fPutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<int16_t> fToPcm16(const std::vector<float>& samples) {
  std::vector<int16_t> out;
  out.reserve(samples.size());
  for (float s : samples) {
    const float clipped = std::clamp(s, -1.0f, 1.0f);
    out.push_back(static_cast<int16_t>(std::lround(clipped * 32767.0f)));
  }
  return out;
}

std::vector<uint8_t> fEncodeWav(const std::vector<int16_t>& samples, int channels, int sampleRate) {
  if (channels < 1 || sampleRate < 1 || samples.size() % static_cast<size_t>(channels) != 0) {
    throw std::invalid_argument("WAV: bad channel count, rate or sample count");
  }
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  fPutTag(out, "RIFF");
  fPut32(out, 36 + dataBytes);
  fPutTag(out, "WAVE");
  fPutTag(out, "fmt ");
  fPut32(out, 16);
  fPut16(out, 1);  // PCM
  fPut16(out, static_cast<uint16_t>(channels));
  fPut32(out, static_cast<uint32_t>(sampleRate));
  fPut32(out, static_cast<uint32_t>(sampleRate) * blockAlign);
  fPut16(out, blockAlign);
  fPut16(out, 16);
  fPutTag(out, "data");
  fPut32(out, dataBytes);
  for (int16_t s : samples) fPut16(out, static_cast<uint16_t>(s));
  return out;
}
