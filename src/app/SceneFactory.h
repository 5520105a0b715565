// Scenes that other rooms hand over to without knowing their classes.
#pragma once

#include <memory>

#include "app/CScene.h"

// The scene a stage returns to when it is left (Escape, debug save, end of a
// replay): the title menu.
std::unique_ptr<CScene> fMakeTitleMenuScene();
