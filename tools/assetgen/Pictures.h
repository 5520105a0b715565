// The game's pictures, drawn with Cairo and Pango. Each function writes its
// files under "image/" (or "mask/") of the data folder, with the exact names
// the game asks for.
#pragma once

#include "AssetWriter.h"

// "ui_parts/plimoball_<colour>.png" (44 x 44) and "mask/circle.png".
void fMakeBallPictures(CAssetWriter& out);
// The stage's head-up display: side panel, hold and next frames and labels,
// READY / GO, GAME OVER / STAGE CLEAR, NEW RECORD.
void fMakeHudPictures(CAssetWriter& out);
// Title-menu buttons (normal, focused, greyed), the scrolling menu
// background, the dialog frame sources and the small arrows.
void fMakeMenuPictures(CAssetWriter& out);
// The full-screen pictures: "title.png" and the stage background "bg.png".
void fMakeScenePictures(CAssetWriter& out);
// The program's icon, "icon/plimoball-<size>.png" at 48, 64, 128 and 256
// pixels: for the window and the desktop's menus.
void fMakeIcons(CAssetWriter& out);
// The models' pictures: "renga.png", the brick wall's bricks and mortar
// (beside the models, not under image/).
void fMakeModelTextures(CAssetWriter& out);
