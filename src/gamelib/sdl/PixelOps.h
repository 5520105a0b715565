// Pixel work done on the CPU before a picture becomes a texture. Textures
// hold premultiplied alpha, so bilinear filtering and rotation never bleed
// the colour of transparent pixels (the magenta key colour above all) into
// the edges of a sprite.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// No transparent colour: every pixel keeps its own alpha.
constexpr int kNoKeyColour = -1;

constexpr std::uint8_t fPremultiply(std::uint8_t channel, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

// Straight RGBA bytes (rows pitch bytes apart) to premultiplied RGBA, in
// place; pixels of exactly the key colour (0xRRGGBB, or kNoKeyColour)
// become fully transparent.
inline void fPrepareImagePixels(std::uint8_t* pixels, int width, int height, int pitch, int keyColour) {
  const bool keyed = keyColour >= 0;
  const auto keyRed = static_cast<std::uint8_t>(keyColour >> 16);
  const auto keyGreen = static_cast<std::uint8_t>(keyColour >> 8);
  const auto keyBlue = static_cast<std::uint8_t>(keyColour);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x, p += 4) {
      if (keyed && p[0] == keyRed && p[1] == keyGreen && p[2] == keyBlue) {
        p[0] = p[1] = p[2] = p[3] = 0;
        continue;
      }
      p[0] = fPremultiply(p[0], p[3]);
      p[1] = fPremultiply(p[1], p[3]);
      p[2] = fPremultiply(p[2], p[3]);
    }
  }
}

// The next smaller mipmap level of tightly packed RGBA pixels: half the size
// (rounded down, at least 1), each pixel the rounded mean of the 2 x 2 (or,
// along an odd or single-pixel side, fewer) pixels it covers. Premultiplied
// pixels stay premultiplied.
inline std::vector<std::uint8_t> fHalvePixels(const std::uint8_t* pixels, int width, int height, int& halfWidth,
                                              int& halfHeight) {
  halfWidth = std::max(width / 2, 1);
  halfHeight = std::max(height / 2, 1);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(halfWidth) * static_cast<std::size_t>(halfHeight) * 4);
  const int stepX = width > 1 ? 2 : 1, stepY = height > 1 ? 2 : 1;
  for (int y = 0; y < halfHeight; ++y) {
    for (int x = 0; x < halfWidth; ++x) {
      for (int c = 0; c < 4; ++c) {
        int sum = 0, count = 0;
        for (int dy = 0; dy < stepY; ++dy) {
          for (int dx = 0; dx < stepX; ++dx) {
            const std::size_t at = (static_cast<std::size_t>(y * stepY + dy) * static_cast<std::size_t>(width) +
                                    static_cast<std::size_t>(x * stepX + dx)) * 4 + static_cast<std::size_t>(c);
            sum += pixels[at];
            ++count;
          }
        }
        out[(static_cast<std::size_t>(y) * static_cast<std::size_t>(halfWidth) + static_cast<std::size_t>(x)) * 4 +
            static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((sum + count / 2) / count);
      }
    }
  }
  return out;
}

// Text with a one-pixel edge: the edge colour wherever the text's coverage
// reaches within one pixel (its 3 x 3 dilation), the text drawn over it.
// text: straight RGBA, width x height, rows pitch bytes apart. out: tightly
// packed premultiplied RGBA of (width + 2) x (height + 2), the text at (1, 1).
inline void fComposeEdgedText(const std::uint8_t* text, int width, int height, int pitch,
                              std::uint32_t edgeColour, std::uint8_t* out) {
  const int outWidth = width + 2;
  const int outHeight = height + 2;
  const auto edgeRed = static_cast<std::uint8_t>(edgeColour >> 16);
  const auto edgeGreen = static_cast<std::uint8_t>(edgeColour >> 8);
  const auto edgeBlue = static_cast<std::uint8_t>(edgeColour);
  auto alphaAt = [&](int x, int y) -> std::uint8_t {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return text[static_cast<std::ptrdiff_t>(y) * pitch + x * 4 + 3];
  };
  for (int y = 0; y < outHeight; ++y) {
    for (int x = 0; x < outWidth; ++x) {
      // (x, y) in the output is (x - 1, y - 1) in the text.
      std::uint8_t edgeAlpha = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) edgeAlpha = std::max(edgeAlpha, alphaAt(x - 1 + dx, y - 1 + dy));
      }
      const std::uint8_t textAlpha = alphaAt(x - 1, y - 1);
      std::uint8_t* o = out + (static_cast<std::ptrdiff_t>(y) * outWidth + x) * 4;
      const int keep = 255 - textAlpha;  // how much of the edge shows through the text
      const std::uint8_t* t = textAlpha == 0 ? nullptr : text + static_cast<std::ptrdiff_t>(y - 1) * pitch + (x - 1) * 4;
      const std::uint8_t edgePremul[3] = {fPremultiply(edgeRed, edgeAlpha), fPremultiply(edgeGreen, edgeAlpha),
                                          fPremultiply(edgeBlue, edgeAlpha)};
      for (int c = 0; c < 3; ++c) {
        const int textPremul = t == nullptr ? 0 : fPremultiply(t[c], textAlpha);
        o[c] = static_cast<std::uint8_t>(textPremul + (edgePremul[c] * keep + 127) / 255);
      }
      o[3] = static_cast<std::uint8_t>(textAlpha + (edgeAlpha * keep + 127) / 255);
    }
  }
}
