#include "menu/CMessageInfo.h"

#include "util/Assert.h"

std::string CMessageInfo::fPopMessage() {
  PLIMO_ASSERT(!messages.empty(), "fPopMessage: no message is queued");
  std::string page = std::move(messages.front());
  messages.pop_front();
  return page;
}

std::unique_ptr<CMessageInfo> fMakeMessageInfo(std::initializer_list<std::string> pages) {
  auto info = std::make_unique<CMessageInfo>();
  for (const auto& page : pages) info->fAddMessage(page);
  return info;
}

std::deque<std::string> fSplitPage(const std::string& page) {
  std::deque<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = page.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(page.substr(start));
      return lines;
    }
    lines.push_back(page.substr(start, end - start));
    start = end + 1;
  }
}
