// The smallest PNG file the headless backend learns a picture's size from:
// the signature and the IHDR chunk's width and height.
#pragma once

#include <string>

inline std::string fPngHeader(int width, int height) {
  std::string bytes = "\x89PNG\r\n\x1a\n";
  bytes += std::string("\0\0\0\x0dIHDR", 8);
  for (int value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  }
  return bytes + std::string(5, '\0');
}
