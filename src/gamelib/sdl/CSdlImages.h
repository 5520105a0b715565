// Graph handles: pictures loaded with SDL_image, blank pictures, pieces of
// other pictures sharing their texture, and the calls that draw them.
#pragma once

#include <map>
#include <memory>

#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CGlTexture.h"

class CSdlImages {
 public:
  // nextHandle: the backend's handle counter, shared with fonts.
  CSdlImages(CGlRenderer& renderer, int& nextHandle) : mRenderer(renderer), mNextHandle(nextHandle) {}
  CSdlImages(const CSdlImages&) = delete;
  CSdlImages& operator=(const CSdlImages&) = delete;

  void fSetTransColour(int red, int green, int blue);
  // Releases every picture; the GL context must be current.
  void fClear();

  int fLoad(const char* path);
  int fMake(int width, int height);
  int fDerive(int x, int y, int width, int height, int source);
  int fDelete(int graph);
  int fSize(int graph, int* width, int* height) const;
  int fCopyFromScreen(int x1, int y1, int x2, int y2, int graph);
  int fCount() const { return static_cast<int>(mImages.size()); }

  int fDraw(int x, int y, int graph, bool trans, bool turn);
  int fDrawExtend(int x1, int y1, int x2, int y2, int graph, bool trans);
  int fDrawRota(int x, int y, double rate, double angle, int graph, bool trans, bool turn);

 private:
  struct SImage {
    std::shared_ptr<CGlTexture> texture;
    int x = 0;  // the picture's rectangle inside the texture
    int y = 0;
    int width = 0;
    int height = 0;
  };

  int fAdd(SImage image);
  const SImage* fFind(int graph) const;
  int fDrawQuad(const SImage& image, const SQuad& quad, bool trans, bool turn);

  CGlRenderer& mRenderer;
  int& mNextHandle;
  std::map<int, SImage> mImages;
  int mKeyColour = 0xFF00FF;
};
