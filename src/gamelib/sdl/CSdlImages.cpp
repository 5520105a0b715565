#include "gamelib/sdl/CSdlImages.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "gamelib/FileRoots.h"
#include "gamelib/ImageHeader.h"
#include "gamelib/sdl/PixelOps.h"

void CSdlImages::fSetTransColour(int red, int green, int blue) {
  mKeyColour = ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
}

void CSdlImages::fClear() {
  mRenderer.fFlush();
  mImages.clear();
}

int CSdlImages::fAdd(SImage image) {
  const int handle = mNextHandle++;
  mImages.emplace(handle, std::move(image));
  return handle;
}

const CSdlImages::SImage* CSdlImages::fFind(int graph) const {
  auto it = mImages.find(graph);
  return it == mImages.end() ? nullptr : &it->second;
}

int CSdlImages::fLoad(const char* path) {
  if (path == nullptr || !mRenderer.fIsReady()) return -1;
  SImage image;
  if (!fReadImageSize(fReadLocation(path), image.width, image.height) || image.width <= 0 || image.height <= 0) {
    std::fprintf(stderr, "PlimoBall: cannot load picture %s: it is missing or is not a PNG, BMP, GIF or JPEG picture\n", path);
    return -1;
  }
  image.texture = std::make_shared<STexture>();
  image.texture->path = path;
  image.texture->keyColour = mKeyColour;
  return fAdd(std::move(image));
}

const CGlTexture* CSdlImages::fTexture(const SImage& image) {
  STexture& texture = *image.texture;
  if (texture.made || texture.path.empty()) return texture.made.get();
  const std::string path = std::exchange(texture.path, std::string());
  SDL_Surface* loaded = IMG_Load(fReadLocation(path).c_str());
  if (loaded == nullptr) {
    std::fprintf(stderr, "PlimoBall: cannot load picture %s: %s\n", path.c_str(), IMG_GetError());
    return nullptr;
  }
  // Palette pictures with a transparent index come out with alpha here.
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return nullptr;
  SDL_LockSurface(rgba);
  auto* pixels = static_cast<std::uint8_t*>(rgba->pixels);
  fPrepareImagePixels(pixels, rgba->w, rgba->h, rgba->pitch, texture.keyColour);
  // Drawn pieces were placed by the size the header gave; a file changed
  // since then is drawn within it.
  texture.made = std::make_unique<CGlTexture>(rgba->w, rgba->h, pixels, rgba->pitch, CGlTexture::ERows::BottomFirst);
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return texture.made.get();
}

int CSdlImages::fTextureCount() const {
  std::set<const STexture*> made;
  for (const auto& [handle, image] : mImages) {
    if (image.texture->made) made.insert(image.texture.get());
  }
  return static_cast<int>(made.size());
}

int CSdlImages::fMake(int width, int height) {
  if (width <= 0 || height <= 0 || !mRenderer.fIsReady()) return -1;
  SImage image;
  image.texture = std::make_shared<STexture>();
  image.texture->made = std::make_unique<CGlTexture>(width, height, nullptr, 0, CGlTexture::ERows::BottomFirst);
  image.width = width;
  image.height = height;
  return fAdd(std::move(image));
}

int CSdlImages::fDerive(int x, int y, int width, int height, int source) {
  const SImage* parent = fFind(source);
  if (parent == nullptr || width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > parent->width ||
      y + height > parent->height) {
    return -1;
  }
  SImage piece;
  piece.texture = parent->texture;
  piece.x = parent->x + x;
  piece.y = parent->y + y;
  piece.width = width;
  piece.height = height;
  return fAdd(std::move(piece));
}

int CSdlImages::fDelete(int graph) {
  auto it = mImages.find(graph);
  if (it == mImages.end()) return -1;
  // A batched quad may still sample the texture.
  mRenderer.fFlush();
  mImages.erase(it);
  return 0;
}

int CSdlImages::fSize(int graph, int* width, int* height) const {
  const SImage* image = fFind(graph);
  if (image == nullptr) return -1;
  if (width != nullptr) *width = image->width;
  if (height != nullptr) *height = image->height;
  return 0;
}

int CSdlImages::fCopyFromScreen(int x1, int y1, int x2, int y2, int graph) {
  const SImage* image = fFind(graph);
  if (image == nullptr) return -1;
  // Never past the picture into the rest of a shared texture.
  x2 = std::min(x2, x1 + image->width);
  y2 = std::min(y2, y1 + image->height);
  const CGlTexture* texture = fTexture(*image);
  if (texture == nullptr) return -1;
  return mRenderer.fCopyToTexture(x1, y1, x2, y2, *texture, image->x, image->y) ? 0 : -1;
}

int CSdlImages::fDrawQuad(const SImage& image, const SQuad& quad, bool trans, bool turn) {
  const CGlTexture* texture = fTexture(image);
  if (texture == nullptr) return 0;  // said when it failed to load; the rest of the screen goes on
  const auto textureWidth = static_cast<float>(texture->fWidth());
  float u0 = static_cast<float>(image.x) / textureWidth;
  float u1 = static_cast<float>(image.x + image.width) / textureWidth;
  const float v0 = texture->fV(image.y);
  const float v1 = texture->fV(image.y + image.height);
  if (turn) std::swap(u0, u1);
  mRenderer.fDrawQuad(*texture, quad, u0, v0, u1, v1, trans);
  return 0;
}

int CSdlImages::fDraw(int x, int y, int graph, bool trans, bool turn) {
  const SImage* image = fFind(graph);
  if (image == nullptr) return -1;
  // Opaque and one to one: the texels are copied, not shaded.
  const CGlTexture* texture = fTexture(*image);
  if (texture == nullptr) return 0;
  if (!trans && !turn && mRenderer.fCopyPicture(*texture, image->x, image->y, image->width, image->height, x, y)) {
    return 0;
  }
  const auto left = static_cast<float>(x);
  const auto top = static_cast<float>(y);
  return fDrawQuad(*image,
                   fAxisQuad(left, top, left + static_cast<float>(image->width), top + static_cast<float>(image->height)),
                   trans, turn);
}

int CSdlImages::fDrawExtend(int x1, int y1, int x2, int y2, int graph, bool trans) {
  const SImage* image = fFind(graph);
  if (image == nullptr) return -1;
  // x1 > x2 (or y1 > y2) puts the picture's left (top) edge on the right
  // (bottom): a mirrored drawing.
  return fDrawQuad(*image,
                   fAxisQuad(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                             static_cast<float>(y2)),
                   trans, false);
}

int CSdlImages::fDrawRota(int x, int y, double rate, double angle, int graph, bool trans, bool turn) {
  const SImage* image = fFind(graph);
  if (image == nullptr) return -1;
  return fDrawQuad(*image, fRotatedQuad(x, y, image->width, image->height, rate, angle), trans, turn);
}
