#include "app/SceneFactory.h"

#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"

std::unique_ptr<CScene> fNewTitleScene() { return std::make_unique<CTitle>(); }
std::unique_ptr<CScene> fNewTitleMenuScene() { return std::make_unique<CTitleMenu>(); }
