// What the player reads for a keyboard key: the name printed on the key cap.
#pragma once

#include <string>

// "Z", "Space", "Left", ...; "Key 0x%02X" for a code without a name.
std::string fKeyName(int keyCode);
// True for the codes a player can press on an ordinary keyboard.
bool fIsNamedKey(int keyCode);
