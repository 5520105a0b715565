// Whether every string of one drawn picture fits: inside the screen and its
// clip, never across the edge of a frame drawn before it (inside or clear of
// it), and never over another string, unless a frame drawn between the two
// covers the later one (a window on top). Frames are the rectangles the
// caller says are frames: window backgrounds, panels, filled boxes.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gamelib/headless/HeadlessBackend.h"

using SDrawnItem = CHeadlessBackend::SDrawnItem;

inline bool fRectInside(const SDrawnItem& inner, int x1, int y1, int x2, int y2) {
  return inner.x1 >= x1 && inner.y1 >= y1 && inner.x2 <= x2 && inner.y2 <= y2;
}
inline bool fRectInside(const SDrawnItem& inner, const SDrawnItem& outer) {
  return fRectInside(inner, outer.x1, outer.y1, outer.x2, outer.y2);
}
inline bool fRectsMeet(const SDrawnItem& a, const SDrawnItem& b) {
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

inline std::string fDescribeDrawn(const SDrawnItem& item) {
  std::ostringstream out;
  if (item.kind == SDrawnItem::EKind::Text) out << '"' << item.text << "\" ";
  out << "(" << item.x1 << ", " << item.y1 << ")-(" << item.x2 << ", " << item.y2 << ")";
  return out.str();
}

// The faults of one picture, each as a line naming the strings.
inline std::vector<std::string> fTextFitFaults(const std::vector<SDrawnItem>& drawn,
                                               const std::function<bool(const SDrawnItem&)>& isFrame,
                                               int screenWidth = 640, int screenHeight = 480) {
  std::vector<std::string> faults;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const SDrawnItem& text = drawn[i];
    if (text.kind != SDrawnItem::EKind::Text) continue;
    if (!fRectInside(text, 0, 0, screenWidth, screenHeight)) {
      faults.push_back("off the screen: " + fDescribeDrawn(text));
    } else if (!fRectInside(text, text.clipX1, text.clipY1, text.clipX2, text.clipY2)) {
      faults.push_back("cut by its clip: " + fDescribeDrawn(text));
    }
    for (std::size_t j = 0; j < i; ++j) {
      const SDrawnItem& before = drawn[j];
      if (before.kind != SDrawnItem::EKind::Text && isFrame(before) && fRectsMeet(text, before) &&
          !fRectInside(text, before)) {
        faults.push_back("across a frame's edge: " + fDescribeDrawn(text) + " and the frame " +
                         fDescribeDrawn(before));
      }
      if (before.kind != SDrawnItem::EKind::Text || !fRectsMeet(text, before)) continue;
      bool covered = false;
      for (std::size_t k = j + 1; k < i && !covered; ++k) {
        covered = drawn[k].kind != SDrawnItem::EKind::Text && isFrame(drawn[k]) && fRectInside(text, drawn[k]) &&
                  fRectInside(before, drawn[k]) == false;
      }
      if (!covered) faults.push_back("over another string: " + fDescribeDrawn(text) + " on " + fDescribeDrawn(before));
    }
  }
  return faults;
}
