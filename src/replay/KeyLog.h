// The key log: no header, one frame per frame of play, each frame the 28
// logical keys in EGameKey order as signed 32-bit little-endian integers
// (1 down, 0 up). Replays on every machine read the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "input/GameKey.h"

constexpr std::size_t kKeyLogValueBytes = 4;
constexpr std::size_t kKeyLogFrameBytes = kGameKeyCount * kKeyLogValueBytes;  // 112

inline void fPutInt32LE(std::int32_t value, unsigned char* out) {
  const auto bits = static_cast<std::uint32_t>(value);
  out[0] = static_cast<unsigned char>(bits & 0xFFu);
  out[1] = static_cast<unsigned char>((bits >> 8) & 0xFFu);
  out[2] = static_cast<unsigned char>((bits >> 16) & 0xFFu);
  out[3] = static_cast<unsigned char>((bits >> 24) & 0xFFu);
}

inline std::int32_t fGetInt32LE(const unsigned char* in) {
  const std::uint32_t bits = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                             (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
  return static_cast<std::int32_t>(bits);
}
