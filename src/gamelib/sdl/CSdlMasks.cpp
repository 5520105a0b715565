#include "gamelib/sdl/CSdlMasks.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <utility>

#include "gamelib/FileRoots.h"
#include "gamelib/sdl/MaskPixels.h"

int CSdlMasks::fLoad(const char* path) {
  if (path == nullptr) return -1;
  SDL_Surface* loaded = IMG_Load(fReadLocation(path).c_str());
  if (loaded == nullptr) {
    std::fprintf(stderr, "PlimoBall: cannot load mask %s: %s\n", path, IMG_GetError());
    return -1;
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return -1;
  SMask mask;
  mask.width = rgba->w;
  mask.height = rgba->h;
  SDL_LockSurface(rgba);
  mask.coverage = fMaskCoverage(static_cast<const std::uint8_t*>(rgba->pixels), rgba->w, rgba->h, rgba->pitch);
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  if (mask.coverage.empty()) return -1;
  const int handle = mNextHandle++;
  mMasks.emplace(handle, std::move(mask));
  return handle;
}

int CSdlMasks::fDelete(int mask) { return mMasks.erase(mask) == 1 ? 0 : -1; }

int CSdlMasks::fSize(int mask, int* width, int* height) const {
  auto it = mMasks.find(mask);
  if (it == mMasks.end()) return -1;
  if (width != nullptr) *width = it->second.width;
  if (height != nullptr) *height = it->second.height;
  return 0;
}

int CSdlMasks::fCoverage(int mask, int x, int y) const {
  auto it = mMasks.find(mask);
  if (it == mMasks.end()) return 0;
  const SMask& found = it->second;
  if (x < 0 || y < 0 || x >= found.width || y >= found.height) return 0;
  return found.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(found.width) +
                        static_cast<std::size_t>(x)];
}
