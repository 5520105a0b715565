// One background layer of a window: a frame picture stretched to the
// window's size by nine-slice scaling (corners kept, edges and centre tiled).
#pragma once

class CWindowBgInfo {
 public:
  CWindowBgInfo() = default;
  CWindowBgInfo(int graphHandle, int widthValue, int heightValue, int leftBorder, int topBorder, int rightBorder,
                int bottomBorder, int alphaValue, bool transFlag)
      : graph(graphHandle),
        width(widthValue),
        height(heightValue),
        left(leftBorder),
        top(topBorder),
        right(rightBorder),
        bottom(bottomBorder),
        alpha(alphaValue),
        trans(transFlag) {}
  virtual ~CWindowBgInfo() = default;

  int graph = -1;
  // -1: as large as the window's content, settled when the window is built.
  int width = -1;
  int height = -1;
  // Border sizes inside the source picture.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int alpha = 255;
  bool trans = false;
};
