// The names hints give for a game key: the player's own keyboard key and pad
// button, as currently assigned.
#pragma once

#include <string>

#include "input/GameKey.h"

// "Z", "Space", "Left", ...
std::string fKeyboardKeyName(EGameKey key);
// "Button3"; empty when the key has no single pad button.
std::string fPadButtonName(EGameKey key);
// "C" or "C / Button3".
std::string fKeyAndButtonName(EGameKey key);
