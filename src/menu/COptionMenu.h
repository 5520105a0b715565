// The option menu: which gamepad button serves each of eight game keys.
// Up and down on the keyboard choose a row, pressing a pad button assigns
// it to that row at once, Z or X on the keyboard saves "dat/setting.dat"
// and closes. The title menu holds it and forwards the frame to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CScene.h"
#include "gui/CMainWindow.h"
#include "input/CKeyRepeatManager.h"
#include "input/GameKey.h"

class COptionMenu : public CScene {
 public:
  // Reads gOptionInfo: it must be loaded.
  COptionMenu();

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;
  // Writes gOptionInfo to "dat/setting.dat".
  virtual void fSaveOptionInfo();
  // Sets the eight key rows' texts again from gOptionInfo.
  virtual void fRefreshLabels();

  CMainWindow& fGetWindow() const { return *window; }

  // Set by the title menu; may drop this menu from inside the call.
  std::function<void()> onClose;

 private:
  std::unique_ptr<CMainWindow> window;
  CKeyRepeatManager keyRepeat;
};

struct SOptionRow {
  const char* name;   // widget name
  const char* label;  // shown before the button name
  EGameKey key;       // whose pad mask the row sets
};

// The eight key rows, in menu order.
inline constexpr SOptionRow kOptionRows[] = {
    {"LEFT", "左移動　　　　:", EGameKey::Left},        {"UP", "上移動　　　　:", EGameKey::Up},
    {"RIGHT", "右移動　　　　:", EGameKey::Right},      {"DOWN", "下移動　　　　:", EGameKey::Down},
    {"KEY_X", "落下　　　　　:", EGameKey::KeyX},       {"KEY_SPACE", "ホールド　　　:", EGameKey::KeySpace},
    {"KEY_Z", "左回転　　　　:", EGameKey::KeyZ},       {"KEY_C", "右回転　　　　:", EGameKey::KeyC},
};
