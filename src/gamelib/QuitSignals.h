// The signals that ask the game to end: SIGTERM, SIGINT and SIGHUP end it
// cleanly at its next frame (the frame loop sees the window closed). A second
// signal while it is already ending, or an ending that takes longer than
// kQuitGraceSeconds, ends the process at once with one line on stderr.
#pragma once

inline constexpr unsigned kQuitGraceSeconds = 3;

// Installs the handlers; call once, before the game library starts.
void fInstallQuitSignals();
// True once a quit signal arrived.
bool fQuitSignalled();
