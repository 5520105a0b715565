// The game library backend for play: a real window through SDL2 + OpenGL.
#pragma once

#include <memory>

#include "gamelib/GameLibBackend.h"

std::unique_ptr<CGameLibBackend> fMakeSdlBackend();
