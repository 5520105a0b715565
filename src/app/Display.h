// Windowed or full screen, and the window's size: switched at once, from the
// option menu or with Alt+Enter in any scene, and remembered (the mode in
// "config.dat"'s first line, the size in the settings file).
#pragma once

bool fIsWindowed();
void fSetWindowed(bool windowed);
// index into kWindowScales
void fSetWindowScale(int index);
// Alt+Enter toggles the mode once per press; called once a frame.
void fCheckDisplayKeys();
