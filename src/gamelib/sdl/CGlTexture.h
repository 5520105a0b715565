// One OpenGL texture, owned. Pixels are premultiplied RGBA, handed over top
// row first; the texture keeps them that way or bottom row first, as the back
// screen keeps its own, so that a picture drawn one to one can be copied
// there instead of shaded. Needs the GL context current when made and
// destroyed.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

class CGlTexture {
 public:
  enum class ERows { TopFirst, BottomFirst };

  CGlTexture() = default;
  // pitch: bytes from one row to the next (a multiple of 4); null pixels
  // make an opaque black texture.
  CGlTexture(int width, int height, const std::uint8_t* pixels, int pitch, ERows rows = ERows::TopFirst);
  ~CGlTexture();
  CGlTexture(CGlTexture&& other) noexcept;
  CGlTexture& operator=(CGlTexture&& other) noexcept;
  CGlTexture(const CGlTexture&) = delete;
  CGlTexture& operator=(const CGlTexture&) = delete;

  GLuint fId() const { return mId; }
  int fWidth() const { return mWidth; }
  int fHeight() const { return mHeight; }
  bool fIsValid() const { return mId != 0; }
  bool fIsBottomFirst() const { return mRows == ERows::BottomFirst; }
  // The texture coordinate v of the top edge of the picture's row `row`
  // (0 at the top; the picture's height for its bottom edge).
  float fV(int row) const {
    const float v = static_cast<float>(row) / static_cast<float>(mHeight);
    return fIsBottomFirst() ? 1.0f - v : v;
  }
  // The GL row (0 at the bottom of the texture) of the first of `count`
  // picture rows from `row` down.
  int fGlRow(int row, int count) const { return fIsBottomFirst() ? mHeight - row - count : row; }

 private:
  GLuint mId = 0;
  int mWidth = 0;
  int mHeight = 0;
  ERows mRows = ERows::TopFirst;
};
