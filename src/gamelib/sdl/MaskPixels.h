// Masks are pictures read as coverage: white lets drawing through, black
// keeps it out, grey is in between. A transparent pixel covers nothing
// whatever its colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Straight (not premultiplied) RGBA rows, pitch bytes apart, to one
// coverage byte per pixel, rows packed.
inline std::vector<std::uint8_t> fMaskCoverage(const std::uint8_t* rgba, int width, int height, int pitch) {
  std::vector<std::uint8_t> coverage;
  if (rgba == nullptr || width <= 0 || height <= 0) return coverage;
  coverage.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = rgba + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x, p += 4) {
      // Rec. 601 luma weights in 256ths; they sum to 256, so white is 255.
      const unsigned luma = (77u * p[0] + 150u * p[1] + 29u * p[2]) >> 8;
      coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          static_cast<std::uint8_t>((luma * p[3] + 127u) / 255u);
    }
  }
  return coverage;
}
