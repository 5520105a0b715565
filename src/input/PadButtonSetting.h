// Where the key manager learns the player's pad buttons: the option record's
// 15 masks, one per EGameKey 0..14, or the defaults while there is none.
#pragma once

#include <array>
#include <vector>

constexpr int kPadButtonEntryCount = 15;

constexpr std::array<int, kPadButtonEntryCount> kDefaultPadButtons = {
    0x2,  0x8,  0x4,  0x1,                 // Left Up Right Down
    0x2,  0x8,  0x4,  0x1,                 // the cursor keys (stored, never read)
    0x10, 0x20, 0x40, 0x80, 0x100, 0x200,  // Z X C A S D
    0x800};                                // Space: button 8, not 7

// The current masks. An option record with fewer than 15 entries (a damaged
// or foreign settings file) gets the defaults for the missing ones.
std::array<int, kPadButtonEntryCount> fCurrentPadButtons();

// The 15 masks from a stored list: missing entries take the defaults,
// entries past the 15th are ignored.
std::array<int, kPadButtonEntryCount> fPadButtonsFrom(const std::vector<int>& stored);
