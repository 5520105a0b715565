// Graph handles: pictures loaded with SDL_image, blank pictures, pieces of
// other pictures sharing their texture, and the calls that draw them.
// Loading a picture reads only its size: the pixels are decoded and handed
// to the GL the first time it is drawn, so the pictures a run never shows
// cost neither start-up time nor memory.
#pragma once

#include <map>
#include <memory>
#include <string>

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
  // How many textures have been made so far (pictures drawn, blank ones).
  int fTextureCount() const;

  int fDraw(int x, int y, int graph, bool trans, bool turn);
  int fDrawExtend(int x1, int y1, int x2, int y2, int graph, bool trans);
  int fDrawRota(int x, int y, double rate, double angle, int graph, bool trans, bool turn);

 private:
  // A texture shared by a picture and its pieces; one loaded from a file is
  // made when first needed.
  struct STexture {
    std::unique_ptr<CGlTexture> made;
    std::string path;  // still to be loaded from here, when not empty
    int keyColour = 0;
  };
  struct SImage {
    std::shared_ptr<STexture> texture;
    int x = 0;  // the picture's rectangle inside the texture
    int y = 0;
    int width = 0;
    int height = 0;
  };

  int fAdd(SImage image);
  const SImage* fFind(int graph) const;
  int fDrawQuad(const SImage& image, const SQuad& quad, bool trans, bool turn);
  // The image's texture, made now if it is not yet; null when its file can
  // no longer be read (said once).
  const CGlTexture* fTexture(const SImage& image);

  CGlRenderer& mRenderer;
  int& mNextHandle;
  std::map<int, SImage> mImages;
  int mKeyColour = 0xFF00FF;
};
