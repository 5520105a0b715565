// Which keyboard key serves each of the eight game keys a player can assign,
// as kept in the settings file.
#pragma once

#include <array>

#include "input/GameKey.h"

// In the order of the option menu and of the settings' key list.
inline constexpr std::array<EGameKey, 8> kAssignableKeys = {
    EGameKey::Left, EGameKey::Up,       EGameKey::Right, EGameKey::Down,
    EGameKey::KeyX, EGameKey::KeySpace, EGameKey::KeyZ,  EGameKey::KeyC};

// The keyboard code assigned to the key; -1 for a key that is not assignable.
int fAssignedKeyboardCode(EGameKey key);
