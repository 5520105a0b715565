// Scenes that other rooms hand over to without knowing their classes.
#pragma once

#include <functional>
#include <memory>

#include "app/CScene.h"

using SceneMaker = std::function<std::unique_ptr<CScene>()>;

// The scene the game opens on: the title.
std::unique_ptr<CScene> fMakeTitleScene();
// The scene a stage returns to when it is left (Escape, debug save, end of a
// replay): the title menu, unless a stand-in was put in its place.
std::unique_ptr<CScene> fMakeTitleMenuScene();

// The menus' own makers.
std::unique_ptr<CScene> fNewTitleScene();
std::unique_ptr<CScene> fNewTitleMenuScene();

// Puts a stand-in in the title menu's place (the replay checker runs a stage
// without menus); an empty maker puts the real menu back. Returns the
// previous stand-in.
SceneMaker fReplaceTitleMenuScene(SceneMaker maker);

// A scene that does nothing: the stand-in used while no menu is wanted.
class CIdleScene : public CScene {
 public:
  void fAnimate() override {}
  void fUpdate() override {}
  void fDraw() override {}
};
