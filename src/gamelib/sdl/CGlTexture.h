// One OpenGL texture, owned. Pixels are premultiplied RGBA with row 0 at the
// top of the picture. Needs the GL context current when made and destroyed.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

class CGlTexture {
 public:
  CGlTexture() = default;
  // pitch: bytes from one row to the next (a multiple of 4); null pixels
  // make an opaque black texture.
  CGlTexture(int width, int height, const std::uint8_t* pixels, int pitch);
  ~CGlTexture();
  CGlTexture(CGlTexture&& other) noexcept;
  CGlTexture& operator=(CGlTexture&& other) noexcept;
  CGlTexture(const CGlTexture&) = delete;
  CGlTexture& operator=(const CGlTexture&) = delete;

  GLuint fId() const { return mId; }
  int fWidth() const { return mWidth; }
  int fHeight() const { return mHeight; }
  bool fIsValid() const { return mId != 0; }

 private:
  GLuint mId = 0;
  int mWidth = 0;
  int mHeight = 0;
};
