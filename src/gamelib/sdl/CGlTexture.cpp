#include "gamelib/sdl/CGlTexture.h"

#include <cstddef>
#include <utility>
#include <vector>

CGlTexture::CGlTexture(int width, int height, const std::uint8_t* pixels, int pitch, ERows rows)
    : mWidth(width), mHeight(height), mRows(rows) {
  std::vector<std::uint8_t> black;
  if (pixels == nullptr) {
    black.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    for (std::size_t i = 3; i < black.size(); i += 4) black[i] = 255;
    pixels = black.data();
    pitch = width * 4;
  }
  glGenTextures(1, &mId);
  glBindTexture(GL_TEXTURE_2D, mId);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / 4);
  if (rows == ERows::TopFirst) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  } else {
    // Row by row into place rather than through a turned copy of the picture.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    for (int y = 0; y < height; ++y) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, height - 1 - y, width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                      pixels + static_cast<std::ptrdiff_t>(y) * pitch);
    }
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  // Filtering comes from the renderer's sampler objects; these only matter
  // if a texture is ever sampled without one.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

CGlTexture::~CGlTexture() {
  if (mId != 0) glDeleteTextures(1, &mId);
}

CGlTexture::CGlTexture(CGlTexture&& other) noexcept
    : mId(std::exchange(other.mId, 0)), mWidth(other.mWidth), mHeight(other.mHeight), mRows(other.mRows) {}

CGlTexture& CGlTexture::operator=(CGlTexture&& other) noexcept {
  if (this != &other) {
    if (mId != 0) glDeleteTextures(1, &mId);
    mId = std::exchange(other.mId, 0);
    mWidth = other.mWidth;
    mHeight = other.mHeight;
    mRows = other.mRows;
  }
  return *this;
}
