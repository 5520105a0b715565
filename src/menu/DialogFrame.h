// What the game's dialogs share: the framed, opaque window background and
// the black-on-white box of a chosen row.
#pragma once

#include <memory>
#include <vector>

#include "gui/CFocusBgInfo.h"
#include "gui/CSetupWindowInfo.h"
#include "gui/CWindowBgInfo.h"

inline constexpr const char* kDialogBgImage = "ui_parts/window1_bg.png";
inline constexpr const char* kDialogFrameImage = "ui_parts/window1_waku.png";

// The opaque fill, then the frame, both with 20-pixel borders.
// A size of -1 follows the menu's content.
void fAddDialogBackgrounds(CSetupWindowInfo& info, int width, int height);
std::vector<CWindowBgInfo> fDialogLayers(int width, int height);

// A filled white box with no outline, as wide as width.
std::shared_ptr<CFocusBgInfo> fMakeSolidFocusBg(int width);
// The white box of message rows and menus (fill and outline, margin 2).
std::shared_ptr<CFocusBgInfo> fMakeWhiteFocusBg();
