// Fitting the fixed-size back screen into a window of any size: the largest
// rectangle of the screen's aspect ratio, centred, with black bars around it.
#pragma once

struct SViewportRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where the screen goes inside the window (window coordinates, origin top left).
constexpr SViewportRect fLetterbox(int windowWidth, int windowHeight, int screenWidth, int screenHeight) {
  if (windowWidth <= 0 || windowHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) return {};
  // Cross-multiplied so equal aspect ratios compare exactly.
  const long long wide = static_cast<long long>(windowWidth) * screenHeight;
  const long long tall = static_cast<long long>(windowHeight) * screenWidth;
  int width = windowWidth;
  int height = windowHeight;
  if (wide > tall) {
    width = static_cast<int>(static_cast<long long>(windowHeight) * screenWidth / screenHeight);
  } else if (wide < tall) {
    height = static_cast<int>(static_cast<long long>(windowWidth) * screenHeight / screenWidth);
  }
  return {(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

namespace letterbox_detail {
constexpr int fFloorDiv(long long a, long long b) {
  const long long q = a / b;
  return static_cast<int>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}
}  // namespace letterbox_detail

struct SScreenPoint {
  int x = 0;
  int y = 0;
};

// A window point in screen pixels. Points on the bars map outside the screen
// (negative or past its size) rather than being clamped, so nothing there
// looks like a hit on the screen's edge.
constexpr SScreenPoint fWindowToScreen(const SViewportRect& viewport, int screenWidth, int screenHeight,
                                       int windowX, int windowY) {
  if (viewport.width <= 0 || viewport.height <= 0) return {windowX, windowY};
  return {letterbox_detail::fFloorDiv(static_cast<long long>(windowX - viewport.x) * screenWidth, viewport.width),
          letterbox_detail::fFloorDiv(static_cast<long long>(windowY - viewport.y) * screenHeight, viewport.height)};
}
