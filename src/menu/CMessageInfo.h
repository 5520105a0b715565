// The pages of a message window, first in, first out. A page may hold "\n"
// to break lines.
#pragma once

#include <deque>
#include <initializer_list>
#include <memory>
#include <string>

class CMessageInfo {
 public:
  CMessageInfo() = default;
  virtual ~CMessageInfo() = default;

  virtual bool fHasMessage() const { return !messages.empty(); }
  virtual void fAddMessage(const std::string& page) { messages.push_back(page); }
  // Ask fHasMessage first: popping an empty queue is a programming error.
  virtual std::string fPopMessage();

  std::deque<std::string> messages;
};

// A queue holding the given pages, in order.
std::unique_ptr<CMessageInfo> fMakeMessageInfo(std::initializer_list<std::string> pages);

// A page cut at every "\n"; an empty page is one empty line.
std::deque<std::string> fSplitPage(const std::string& page);
