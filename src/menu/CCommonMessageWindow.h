// Message boxes at the bottom of the screen. Type Display shows one page
// and takes no input; type WaitForKey shows its pages one by one, each
// acknowledged with the decide key, then reports itself finished and calls
// onClose.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "gui/CWindowBase.h"
#include "menu/CMessageInfo.h"

enum class EMessageWindowType : int { Display = 0, WaitForKey = 1 };

template <EMessageWindowType Type>
class CCommonMessageWindow;

template <>
class CCommonMessageWindow<EMessageWindowType::Display> : public CWindowBase {
 public:
  // 620 wide unless a width is given; as high as its rows (at least three)
  // unless a height is given. A null queue counts as an empty one.
  explicit CCommonMessageWindow(std::unique_ptr<CMessageInfo> info, std::optional<int> width = std::nullopt,
                                std::optional<int> height = std::nullopt);

  void fUpdate() override;
  void fInput(CKeyManagerBase&) override {}
  void fDraw() override;

 private:
  std::unique_ptr<CMessageInfo> messageInfo;
};

template <>
class CCommonMessageWindow<EMessageWindowType::WaitForKey> : public CWindowBase {
 public:
  // Assign onClose right after construction to be called back.
  explicit CCommonMessageWindow(std::unique_ptr<CMessageInfo> info, std::optional<int> width = std::nullopt,
                                std::optional<int> height = std::nullopt);

  // Updates the widgets and bobs the next-page arrow.
  void fUpdate() override;
  // The decide key (Z) shows the next page, or finishes the window. The
  // owner may drop the window from inside onClose.
  void fInput(CKeyManagerBase& keys) override;
  void fDraw() override;
  // Replaces the rows with the next page; false when none is left.
  virtual bool fShowNextMessage();
  virtual void fSetup(std::optional<int> width, std::optional<int> height);
  virtual bool fIsFinished() const { return finished; }

  int fGetFrameCount() const { return frameCount; }

  std::function<void()> onClose;

 private:
  int frameCount = 0;
  std::unique_ptr<CMessageInfo> messageInfo;
  bool finished = false;
  int font = -1;
};

using CDisplayMessageWindow = CCommonMessageWindow<EMessageWindowType::Display>;
using CWaitMessageWindow = CCommonMessageWindow<EMessageWindowType::WaitForKey>;
