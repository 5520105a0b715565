#include "gamelib/sdl/CSdlWindow.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdio>

#include "gamelib/FileRoots.h"

void CSdlWindow::fSetTitle(const char* title) {
  mTitle = title == nullptr ? "" : title;
  if (mWindow != nullptr) SDL_SetWindowTitle(mWindow, mTitle.c_str());
}

bool CSdlWindow::fSetIcon(const std::string& picture) {
  mIcon = picture;
  return fApplyIcon();
}

bool CSdlWindow::fApplyIcon() {
  if (mWindow == nullptr || mIcon.empty()) return true;
  SDL_Surface* icon = IMG_Load(fReadLocation(mIcon).c_str());
  if (icon == nullptr) {
    // The window keeps the desktop's default icon; the game plays on.
    std::fprintf(stderr, "PlimoBall: cannot load the window icon %s: %s\n", mIcon.c_str(), IMG_GetError());
    return false;
  }
  SDL_SetWindowIcon(mWindow, icon);
  SDL_FreeSurface(icon);
  return true;
}

void CSdlWindow::fSetSize(int width, int height) {
  if (width > 0) mWidth = width;
  if (height > 0) mHeight = height;
}

void CSdlWindow::fSetWindowed(bool windowed) {
  mWindowed = windowed;
  if (mWindow == nullptr) return;
  if (!windowed) {
    // Without a window manager nobody grants the full-screen request: the
    // window would keep its small size while SDL reports the display's, and
    // show only a corner of the picture. It is given the display's place
    // and size itself first, as a window made for full screen is.
    const int display = std::max(0, SDL_GetWindowDisplayIndex(mWindow));
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) == 0) {
      SDL_SetWindowPosition(mWindow, bounds.x, bounds.y);
      SDL_SetWindowSize(mWindow, bounds.w, bounds.h);
    }
  }
  SDL_SetWindowFullscreen(mWindow, windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (windowed) fSetScale(mScale);
}

void CSdlWindow::fSetScale(double scale) {
  mScale = scale;
  if (mWindow == nullptr || !mWindowed) return;
  SDL_SetWindowSize(mWindow, static_cast<int>(mWidth * scale), static_cast<int>(mHeight * scale));
  SDL_SetWindowPosition(mWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void CSdlWindow::fSetVSync(bool on) {
  mVSync = on;
  // Fails without vsync support (Xvfb's software GL); the game's timer then
  // paces the frames alone.
  mVSyncActive = false;
  if (mContext == nullptr) return;
  if (!on) {
    SDL_GL_SetSwapInterval(0);
    return;
  }
  // Adaptive first: a late frame is shown at once (a tear) rather than a
  // whole refresh later; plain vsync where adaptive is not offered.
  if (SDL_GL_SetSwapInterval(-1) != 0 && SDL_GL_SetSwapInterval(1) != 0) return;
  mVSyncActive = SDL_GL_GetSwapInterval() != 0;
}

bool CSdlWindow::fOpen(std::string& error) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // Depth lives in the back screen's framebuffer, not the window's.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  int width = static_cast<int>(mWidth * mScale);
  int height = static_cast<int>(mHeight * mScale);
  SDL_DisplayMode desktop;
  if (!mWindowed && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    // Made at the desktop's size: without a window manager to honour the
    // full-screen request, the window would keep its small size while SDL
    // reports the large one.
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    x = y = 0;
    width = desktop.w;
    height = desktop.h;
  } else if (!mWindowed) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  }
  mWindow = SDL_CreateWindow(mTitle.c_str(), x, y, width, height, flags);
  if (mWindow == nullptr) {
    error = std::string("cannot open the window: ") + SDL_GetError();
    return false;
  }
  mContext = SDL_GL_CreateContext(mWindow);
  if (mContext == nullptr) {
    error = std::string("cannot create an OpenGL 3.3 context: ") + SDL_GetError();
    fClose();
    return false;
  }
  SDL_GL_MakeCurrent(mWindow, mContext);
  fSetVSync(mVSync);
  fApplyIcon();
  return true;
}

void CSdlWindow::fClose() {
  if (mContext != nullptr) {
    SDL_GL_DeleteContext(mContext);
    mContext = nullptr;
    mVSyncActive = false;
  }
  if (mWindow != nullptr) {
    SDL_DestroyWindow(mWindow);
    mWindow = nullptr;
  }
}

void CSdlWindow::fSwap() {
  if (mWindow != nullptr) SDL_GL_SwapWindow(mWindow);
}

void CSdlWindow::fDrawableSize(int& width, int& height) const {
  width = mWidth;
  height = mHeight;
  if (mWindow != nullptr) SDL_GL_GetDrawableSize(mWindow, &width, &height);
}
