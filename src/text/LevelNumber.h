// The level as the player reads it: the HUD's "LV:", the level-up banner and
// the browser viewer's Level all say LV 1 for a game just begun, where the
// rules count from 0. Header only: the viewer's WebAssembly build uses it.
#pragma once

constexpr int fShownLevel(int rulesLevel) { return rulesLevel + 1; }
