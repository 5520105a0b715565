#include "gui/NineSlice.h"

#include <array>

#include "gamelib/GameLib.h"
#include "util/Assert.h"

std::shared_ptr<CDrawData> fRenderBackgroundLayer(const CWindowBgInfo& layer) {
  int sw = 0;
  int sh = 0;
  GetGraphSize(layer.graph, &sw, &sh);
  const int L = layer.left;
  const int T = layer.top;
  const int R = layer.right;
  const int B = layer.bottom;
  const int W = layer.width;
  const int H = layer.height;
  const int mw = sw - L - R;
  const int mh = sh - T - B;
  PLIMO_ASSERT(mw > 0 && mh > 0, "window background: the borders leave no middle in the picture");
  PLIMO_ASSERT(W > 0 && H > 0, "window background: the layer has no size");

  const int topLeft = DerivationGraph(0, 0, L, T, layer.graph);
  const int topEdge = DerivationGraph(L, 0, mw, T, layer.graph);
  const int topRight = DerivationGraph(sw - R, 0, R, T, layer.graph);
  const int leftEdge = DerivationGraph(0, T, L, mh, layer.graph);
  const int centre = DerivationGraph(L, T, mw, mh, layer.graph);
  const int rightEdge = DerivationGraph(sw - R, T, R, mh, layer.graph);
  const int bottomLeft = DerivationGraph(0, sh - B, L, B, layer.graph);
  const int bottomEdge = DerivationGraph(L, sh - B, mw, B, layer.graph);
  const int bottomRight = DerivationGraph(sw - R, sh - B, R, B, layer.graph);

  const int target = MakeGraph(W, H, 0);
  SetDrawScreen(DX_SCREEN_BACK);
  ClearDrawScreen();
  SetDrawMode(DX_DRAWMODE_NEAREST);

  // The last tile of a row or column may run past the inner area; the
  // edges and corners drawn afterwards cover the overhang.
  for (int y = T; y < H - B; y += mh) {
    for (int x = L; x < W - R; x += mw) DrawGraph(x, y, centre, 0);
  }
  for (int x = L; x < W - R; x += mw) DrawGraph(x, 0, topEdge, 0);
  for (int y = T; y < H - B; y += mh) DrawGraph(0, y, leftEdge, 0);
  for (int y = T; y < H - B; y += mh) DrawGraph(W - R, y, rightEdge, 0);
  for (int x = L; x < W - R; x += mw) DrawGraph(x, H - B, bottomEdge, 0);
  DrawGraph(0, 0, topLeft, 0);
  DrawGraph(W - R, 0, topRight, 0);
  DrawGraph(0, H - B, bottomLeft, 0);
  DrawGraph(W - R, H - B, bottomRight, 0);

  GetDrawScreenGraph(0, 0, W, H, target, 1);
  SetDrawMode(DX_DRAWMODE_BILINEAR);

  // The pieces served only this copy; keeping them would leak handles each
  // time a dialog is built.
  for (int piece : std::array<int, 9>{topLeft, topEdge, topRight, leftEdge, centre, rightEdge, bottomLeft,
                                      bottomEdge, bottomRight}) {
    DeleteGraph(piece, 0);
  }

  auto item = fMakeCDrawData(target);
  item->fSetTrans(layer.trans);
  item->fSetAlpha(layer.alpha);
  return item;
}
