#include "gamelib/ImageHeader.h"

#include <cstdint>
#include <cstring>

#include "gamelib/FileSystem.h"

namespace {

std::uint32_t fBigEndian(const unsigned char* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
  return value;
}

std::uint32_t fLittleEndian(const unsigned char* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

bool fJpegSize(const std::string& data, int& width, int& height) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  std::size_t i = 2;
  while (i + 9 < data.size()) {
    if (p[i] != 0xFF) return false;
    const unsigned char marker = p[i + 1];
    const std::size_t length = fBigEndian(p + i + 2, 2);
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                              marker != 0xCC;
    if (startOfFrame) {
      height = static_cast<int>(fBigEndian(p + i + 5, 2));
      width = static_cast<int>(fBigEndian(p + i + 7, 2));
      return true;
    }
    i += 2 + length;
  }
  return false;
}

}  // namespace

bool fReadImageSize(const std::string& path, int& width, int& height) {
  if (!fFileExists(path)) return false;
  std::string data;
  try {
    data = fReadWholeFile(path);
  } catch (...) {
    return false;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() >= 24 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) {
    width = static_cast<int>(fBigEndian(p + 16, 4));
    height = static_cast<int>(fBigEndian(p + 20, 4));
    return true;
  }
  if (data.size() >= 26 && p[0] == 'B' && p[1] == 'M') {
    width = static_cast<int>(fLittleEndian(p + 18, 4));
    const auto h = static_cast<std::int32_t>(fLittleEndian(p + 22, 4));
    height = h < 0 ? -h : h;
    return true;
  }
  if (data.size() >= 10 && std::memcmp(p, "GIF8", 4) == 0) {
    width = static_cast<int>(fLittleEndian(p + 6, 2));
    height = static_cast<int>(fLittleEndian(p + 8, 2));
    return true;
  }
  if (data.size() >= 4 && p[0] == 0xFF && p[1] == 0xD8) return fJpegSize(data, width, height);
  return false;
}
