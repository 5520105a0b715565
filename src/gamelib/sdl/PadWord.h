// The pad state word of the game library, built from what a pad reports:
// bit 0x1 down, 0x2 left, 0x4 right, 0x8 up, then 0x10 for button 1 and each
// further button the next bit.
#pragma once

#include <cstdint>

struct SPadState {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  int stickX = 0;  // -32768..32767, positive right
  int stickY = 0;  // -32768..32767, positive down
  std::uint32_t buttons = 0;  // bit i: button i + 1 is down
};

// A stick must be pushed past about a third of its travel to count, so a
// worn stick resting off-centre does not walk the piece.
constexpr int kStickDeadZone = 11000;

// Bit 31 (0x80000000) means "no pad button" to the key manager, so the word
// never uses it: buttons past the 27th are ignored.
constexpr int kMaxPadButtons = 27;

constexpr int fPadWord(const SPadState& pad) {
  int word = 0;
  if (pad.down || pad.stickY > kStickDeadZone) word |= 0x1;
  if (pad.left || pad.stickX < -kStickDeadZone) word |= 0x2;
  if (pad.right || pad.stickX > kStickDeadZone) word |= 0x4;
  if (pad.up || pad.stickY < -kStickDeadZone) word |= 0x8;
  for (int i = 0; i < kMaxPadButtons; ++i) {
    if ((pad.buttons >> i) & 1u) word |= 0x10 << i;
  }
  return word;
}
