// A first-in first-out queue of events with a payload of any type. Part of
// the toolkit; the game's scenes post no events.
#pragma once

#include <any>
#include <cstdint>
#include <deque>
#include <memory>

class CEvent {
 public:
  virtual ~CEvent() = default;
  virtual std::int64_t fGetProperty1() const { return mProperties[0]; }
  virtual void fSetProperty1(std::int64_t value) { mProperties[0] = value; }
  virtual std::int64_t fGetProperty2() const { return mProperties[1]; }
  virtual void fSetProperty2(std::int64_t value) { mProperties[1] = value; }
  virtual std::int64_t fGetProperty3() const { return mProperties[2]; }
  virtual void fSetProperty3(std::int64_t value) { mProperties[2] = value; }
  virtual std::int64_t fGetProperty4() const { return mProperties[3]; }
  virtual void fSetProperty4(std::int64_t value) { mProperties[3] = value; }
  virtual std::any fGetPayload() const { return mPayload; }
  virtual void fSetPayload(std::any payload) { mPayload = std::move(payload); }

 private:
  std::int64_t mProperties[4] = {0, 0, 0, 0};
  std::any mPayload;
};

class CEventManager {
 public:
  virtual ~CEventManager() = default;
  // Taking from an empty queue is a programming error.
  virtual std::shared_ptr<CEvent> fTakeEvent();
  virtual int fCount() const { return static_cast<int>(mEvents.size()); }
  virtual void fAddEvent(std::shared_ptr<CEvent> event) { mEvents.push_back(std::move(event)); }

 private:
  std::deque<std::shared_ptr<CEvent>> mEvents;
};
