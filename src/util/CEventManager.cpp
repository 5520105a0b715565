#include "util/CEventManager.h"

#include "util/Assert.h"

std::shared_ptr<CEvent> CEventManager::fTakeEvent() {
  PLIMO_ASSERT(!mEvents.empty(), "CEventManager: no event to take");
  auto event = std::move(mEvents.front());
  mEvents.pop_front();
  return event;
}
