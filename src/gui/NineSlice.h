// Nine-slice rendering of a window background layer: the frame picture's
// corners are kept, its edges and centre tiled to the layer's size.
#pragma once

#include <memory>

#include "gfx/CDrawData.h"
#include "gui/CWindowBgInfo.h"

// Draws the layer on the back screen and copies it into a new image of the
// layer's size, returned as a one-frame draw item with the layer's alpha and
// trans. Uses the back screen, so call it while a scene is being built, not
// while it draws. The caller owns (and deletes) the new image.
std::shared_ptr<CDrawData> fRenderBackgroundLayer(const CWindowBgInfo& layer);
