// Whether every string of one drawn picture fits: inside the screen and its
// clip, never across the edge of a frame drawn before it (inside or clear of
// it), and never over another string, unless a frame drawn between the two
// covers the later one (a window on top, or a box that is not see-through).
// Frames are the rectangles the caller says are frames: window backgrounds,
// panels, filled boxes.
// Then what is drawn over the play: banners (bands, backings, boxes) never
// cross one another and every string stays on its own banner and off the
// others; and small strings read on what is behind them, whatever the play
// shows there.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
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
        const bool seeThrough = drawn[k].kind == SDrawnItem::EKind::Box && drawn[k].blendMode != DX_BLENDMODE_NOBLEND &&
                                drawn[k].blendParam < 255;
        covered = drawn[k].kind != SDrawnItem::EKind::Text && isFrame(drawn[k]) && !seeThrough &&
                  fRectInside(text, drawn[k]) && fRectInside(before, drawn[k]) == false;
      }
      if (!covered) faults.push_back("over another string: " + fDescribeDrawn(text) + " on " + fDescribeDrawn(before));
    }
  }
  return faults;
}

// ---- banners ----

// Which of the drawn items hold something: a candidate (a box, say) with a
// string or another holding candidate drawn after it and inside it. A box
// that holds nothing (a flash, a bar, a mark) is no frame and no banner.
inline std::vector<bool> fHolders(const std::vector<SDrawnItem>& drawn,
                                  const std::function<bool(const SDrawnItem&)>& isCandidate) {
  std::vector<bool> holds(drawn.size(), false);
  for (std::size_t i = drawn.size(); i-- > 0;) {
    if (drawn[i].kind == SDrawnItem::EKind::Text || !isCandidate(drawn[i])) continue;
    for (std::size_t j = i + 1; j < drawn.size() && !holds[i]; ++j) {
      holds[i] = (drawn[j].kind == SDrawnItem::EKind::Text || holds[j]) && fRectInside(drawn[j], drawn[i]);
    }
  }
  return holds;
}

// The faults of one picture's banners (the candidates that hold something):
// two banners that meet must lie one inside the other; a string belongs to the last banner drawn before it that
// holds it whole, and meets no other banner but those its own lies in or
// that its own, solid, covers.
inline std::vector<std::string> fBannerFaults(const std::vector<SDrawnItem>& drawn,
                                              const std::function<bool(const SDrawnItem&)>& isCandidate) {
  std::vector<std::string> faults;
  const std::vector<bool> holds = fHolders(drawn, isCandidate);
  auto isBanner = [&](const SDrawnItem& item) { return holds[static_cast<std::size_t>(&item - drawn.data())]; };
  auto solid = [](const SDrawnItem& item) {
    return item.blendMode == DX_BLENDMODE_NOBLEND || item.blendParam >= 255;
  };
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const SDrawnItem& item = drawn[i];
    if (item.kind != SDrawnItem::EKind::Text) {
      if (!isBanner(item)) continue;
      for (std::size_t j = 0; j < i; ++j) {
        const SDrawnItem& before = drawn[j];
        if (before.kind == SDrawnItem::EKind::Text || !isBanner(before) || !fRectsMeet(item, before)) continue;
        if (fRectInside(item, before) || fRectInside(before, item)) continue;
        faults.push_back("banners cross: " + fDescribeDrawn(item) + " and " + fDescribeDrawn(before));
      }
      continue;
    }
    std::optional<std::size_t> owner;
    for (std::size_t j = i; j-- > 0;) {
      if (drawn[j].kind != SDrawnItem::EKind::Text && isBanner(drawn[j]) && fRectInside(item, drawn[j])) {
        owner = j;
        break;
      }
    }
    for (std::size_t j = 0; j < drawn.size(); ++j) {
      const SDrawnItem& banner = drawn[j];
      if (j == i || (owner && j == *owner) || banner.kind == SDrawnItem::EKind::Text || !isBanner(banner) ||
          !fRectsMeet(item, banner)) {
        continue;
      }
      if (owner && j < *owner) {
        const SDrawnItem& own = drawn[*owner];
        if (fRectInside(own, banner) || solid(own)) continue;
      }
      faults.push_back((j > i ? "a banner over a string: " : "a string on a banner not its own: ") +
                       fDescribeDrawn(item) + " and " + fDescribeDrawn(banner));
    }
  }
  return faults;
}

// ---- contrast ----

// WCAG 2 relative luminance of an sRGB colour (0xRRGGBB), 0 (black) to 1.
inline double fRelativeLuminance(double r, double g, double b) {
  auto linear = [](double channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}
inline double fRelativeLuminance(unsigned int rgb) {
  return fRelativeLuminance((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}
inline double fContrastRatio(double luminance1, double luminance2) {
  return (std::max(luminance1, luminance2) + 0.05) / (std::min(luminance1, luminance2) + 0.05);
}

// What may show behind a spot: each channel somewhere between lo and hi.
struct SBackdrop {
  double lo[3] = {0, 0, 0};
  double hi[3] = {255, 255, 255};
};

// The lowest contrast a string of colour `rgb` has on any colour the backdrop
// allows: 1 when the backdrop may match the string's luminance.
inline double fWorstContrast(unsigned int rgb, const SBackdrop& behind) {
  const double text = fRelativeLuminance(rgb);
  const double dark = fRelativeLuminance(behind.lo[0], behind.lo[1], behind.lo[2]);
  const double light = fRelativeLuminance(behind.hi[0], behind.hi[1], behind.hi[2]);
  if (text >= dark && text <= light) return 1.0;
  return text < dark ? fContrastRatio(text, dark) : fContrastRatio(text, light);
}

// WCAG's large text starts at 18.66 px bold: smaller strings need 4.5:1.
constexpr int kLargeTextPixels = 19;
constexpr double kSmallTextContrast = 4.5;

// Small strings that may read below 4.5:1: what lies behind each is worked
// out from what was drawn before it under its box. Pictures and what the
// caller does not know are anything from black to white (the play, a
// photo); filled boxes are their colour, blended as they were drawn.
// `knownColour` names the flat colour of pictures the caller knows (a
// window's background); every other picture may be anything.
inline std::vector<std::string> fContrastFaults(
    const std::vector<SDrawnItem>& drawn,
    const std::function<std::optional<unsigned int>(const SDrawnItem&)>& knownColour = {}) {
  std::vector<std::string> faults;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const SDrawnItem& text = drawn[i];
    if (text.kind != SDrawnItem::EKind::Text || text.fontSize >= kLargeTextPixels) continue;
    SBackdrop behind;
    for (std::size_t j = 0; j < i; ++j) {
      const SDrawnItem& item = drawn[j];
      if (item.kind == SDrawnItem::EKind::Text || !fRectsMeet(text, item)) continue;
      const std::optional<unsigned int> flat =
          item.kind == SDrawnItem::EKind::Box ? std::optional<unsigned int>(item.colour)
                                              : (knownColour ? knownColour(item) : std::nullopt);
      if (!flat) {
        behind = SBackdrop{};
        continue;
      }
      const double alpha =
          item.blendMode == DX_BLENDMODE_NOBLEND ? 1.0 : std::clamp(item.blendParam / 255.0, 0.0, 1.0);
      const double colour[3] = {static_cast<double>((*flat >> 16) & 0xff), static_cast<double>((*flat >> 8) & 0xff),
                                static_cast<double>(*flat & 0xff)};
      const bool whole = fRectInside(text, item);
      for (int c = 0; c < 3; ++c) {
        const double lo = alpha * colour[c] + (1.0 - alpha) * behind.lo[c];
        const double hi = alpha * colour[c] + (1.0 - alpha) * behind.hi[c];
        // A box under part of the string leaves the rest as it was.
        behind.lo[c] = whole ? lo : std::min(lo, behind.lo[c]);
        behind.hi[c] = whole ? hi : std::max(hi, behind.hi[c]);
      }
    }
    const double contrast = fWorstContrast(text.colour, behind);
    if (contrast < kSmallTextContrast) {
      std::ostringstream out;
      out.precision(2);
      out << std::fixed << contrast;
      faults.push_back("small text below 4.5:1 (" + out.str() + ":1 at worst): " + fDescribeDrawn(text));
    }
  }
  return faults;
}
