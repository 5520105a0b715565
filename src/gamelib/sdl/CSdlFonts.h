// Font handles: faces found through fontconfig, drawn with SDL_ttf. Every
// drawn string becomes a texture kept in a frame cache, so text that stays
// on screen is rendered once and not again each frame.
#pragma once

#include <SDL_ttf.h>

#include <map>
#include <memory>
#include <string>

#include "gamelib/sdl/CFrameCache.h"
#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CGlTexture.h"

class CSdlFonts {
 public:
  // nextHandle: the backend's handle counter, shared with images.
  CSdlFonts(CGlRenderer& renderer, int& nextHandle) : mRenderer(renderer), mNextHandle(nextHandle) {}
  ~CSdlFonts();
  CSdlFonts(const CSdlFonts&) = delete;
  CSdlFonts& operator=(const CSdlFonts&) = delete;

  bool fInit(std::string& error);
  // Closes every font and drops the cache; the GL context must be current.
  void fShutdown();

  int fCreate(const char* faceName, int size, int thick, int fontType);
  int fDelete(int font);
  int fDraw(int x, int y, const char* text, unsigned int colour, int font, unsigned int edgeColour);
  // DrawString: the default face at the size and thickness last set.
  int fDrawDefault(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour);
  int fTextWidth(const char* text, int length, int font);
  // The width of text in the default face; -1 when no face opens.
  int fDefaultTextWidth(const char* text);
  int fDefaultSize() const { return mDefaultSize; }
  int fState(char* faceName, int* size, int* thick, int font) const;
  int fSetDefaultSize(int size);
  int fSetDefaultThickness(int thick);
  // Once per presented frame: forgets strings not drawn for a few frames.
  void fEndFrame() { mCache.fEndFrame(); }
  std::size_t fCachedTextCount() const { return mCache.fSize(); }

 private:
  struct SFont {
    TTF_Font* ttf = nullptr;
    std::string faceName;
    int size = 0;
    int thick = 0;
    int type = 0;
  };
  struct SText {
    CGlTexture texture;
    int margin = 0;  // the edge's width around the text
  };

  std::unique_ptr<SFont> fOpen(const char* faceName, int size, int thick, int fontType) const;
  const SText* fRender(int font, const SFont& face, const char* text, unsigned int colour, unsigned int edgeColour);
  int fDefaultFont();

  CGlRenderer& mRenderer;
  int& mNextHandle;
  bool mReady = false;
  std::map<int, std::unique_ptr<SFont>> mFonts;
  CFrameCache<SText> mCache{4};
  std::string mKey;        // reused for cache keys, so a lookup allocates nothing
  std::string mSubstring;  // reused for width queries
  int mDefaultFont = -1;
  int mDefaultSize = 16;
  int mDefaultThick = 6;
};
