#include "gamelib/sdl/DisplayWatch.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

int fOnLostX11Connection(Display*) { fEndForLostDisplay(); }

std::atomic<void (*)()> gLostHook{nullptr};

// libwayland-client as SDL loaded it (only if it did): its fatal-error query.
using FDisplayError = int (*)(void*);
FDisplayError fWaylandDisplayError() {
  static FDisplayError query = [] {
    void* library = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD);
    return library == nullptr ? nullptr : reinterpret_cast<FDisplayError>(dlsym(library, "wl_display_get_error"));
  }();
  return query;
}

}  // namespace

void fEndForLostDisplay() {
  static const char kLine[] = "PlimoBall: the display went away\n";
  const ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
  (void)written;
  // Taken, so that a hook that meets the dead connection again ends here.
  if (void (*hook)() = gLostHook.exchange(nullptr)) hook();
  _exit(kDisplayLostStatus);
}

void fSetDisplayLostHook(void (*hook)()) { gLostHook = hook; }

void fWatchDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(fOnLostX11Connection);
}

void fCheckDisplay(SDL_Window* window) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (window == nullptr || driver == nullptr || std::strcmp(driver, "wayland") != 0) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WAYLAND) return;
  const FDisplayError error = fWaylandDisplayError();
  if (error != nullptr && error(info.info.wl.display) != 0) fEndForLostDisplay();
}
