// A game must not outlive its display. When the connection to the window
// system is lost (the X server or the Wayland compositor gone), the process
// ends at once with one line on stderr and status 4, touching the window
// system no more: no teardown talks to a dead connection. What was saved
// stays whole (every save is written through a temporary and renamed), and
// the game's hook keeps what must outlive it.
#pragma once

#include <SDL.h>

inline constexpr int kDisplayLostStatus = 4;

// After SDL's video has started: X11's I/O error handler (Xlib's own exits
// through the static destructors, which would talk to the dead connection).
void fWatchDisplay();
// Each frame: a Wayland display that has failed ends the game the same way.
void fCheckDisplay(SDL_Window* window);
[[noreturn]] void fEndForLostDisplay();
// Called once by fEndForLostDisplay before the process ends: the game keeps
// what it must (files only; the window system is gone). Null: nothing.
void fSetDisplayLostHook(void (*hook)());
