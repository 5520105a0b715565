// The player's gamepad buttons, as kept in "dat/setting.dat": one pad mask
// per game key 0..14 (EGameKey Left .. KeySpace).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "persist/CSerializable.h"

constexpr int kOptionPadButtonCount = 15;

// Directions are the low four bits; buttons start at 0x10 (button 1).
// Space is button 8 (0x800), not 7.
constexpr std::array<int, kOptionPadButtonCount> kOptionDefaultPadButtons = {
    0x2,  0x8,  0x4,  0x1,                  // Left Up Right Down
    0x2,  0x8,  0x4,  0x1,                  // the cursor keys: stored, never changed
    0x10, 0x20, 0x40, 0x80, 0x100, 0x200,   // Z X C A S D
    0x800};                                 // Space

class COptionInfo : public CSerializable {
 public:
  COptionInfo() : padButtons(kOptionDefaultPadButtons.begin(), kOptionDefaultPadButtons.end()) {}

  static std::string fClassName() { return "GameMenu.COptionInfo"; }
  std::string fGetClassName() const override { return fClassName(); }
  void fDescribe(Serializer& s);

  // What the option menu shows for entry i: "Button1" for 0x10 up to
  // "Button16" for 0x80000, "Button?" for a direction or several buttons.
  virtual std::string fGetButtonName(int i) const;

  std::vector<int> padButtons;
};
