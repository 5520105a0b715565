// The game's one window and its OpenGL 3.3 core context.
#pragma once

#include <epoxy/gl.h>

#include <SDL.h>

#include <string>

class CSdlWindow {
 public:
  CSdlWindow() = default;
  ~CSdlWindow() { fClose(); }
  CSdlWindow(const CSdlWindow&) = delete;
  CSdlWindow& operator=(const CSdlWindow&) = delete;

  void fSetTitle(const char* title);
  // A picture file (one of the game's names) for the window's icon, shown
  // from the moment the window opens. False when it cannot be loaded.
  bool fSetIcon(const std::string& picture);
  void fSetSize(int width, int height);
  // Both take effect at once on an open window.
  void fSetWindowed(bool windowed);
  void fSetScale(double scale);
  void fSetVSync(bool on);
  // Asked for and granted by the GL: swaps wait for the display.
  bool fIsVSyncActive() const { return mVSyncActive; }

  // SDL's video must be up. False with a reason when no window or context.
  bool fOpen(std::string& error);
  void fClose();
  bool fIsOpen() const { return mWindow != nullptr; }

  void fSwap();
  void fDrawableSize(int& width, int& height) const;
  SDL_Window* fHandle() const { return mWindow; }
  Uint32 fId() const { return mWindow == nullptr ? 0 : SDL_GetWindowID(mWindow); }

 private:
  SDL_Window* mWindow = nullptr;
  SDL_GLContext mContext = nullptr;
  bool fApplyIcon();

  std::string mTitle;
  std::string mIcon;
  int mWidth = 640;
  int mHeight = 480;
  bool mWindowed = false;
  double mScale = 1.0;
  bool mVSync = true;
  bool mVSyncActive = false;
};
