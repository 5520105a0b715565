// A recorded key log read frame by frame, answering the rules' key question
// from the frame read last by the same once-per-press latch the live keys
// use. The key player plays replays through it; a check steps the rules
// with it alone.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "input/GameKey.h"
#include "rules/IRuleKeys.h"
#include "util/CCompactLog.h"

class CRecordedKeys : public IRuleKeys {
 public:
  // Reads up to `count` bytes at the log's current place into `out`; returns
  // how many. For a log read in order from elsewhere (a file).
  using FSequentialRead = std::function<std::size_t(unsigned char* out, std::size_t count)>;

  // No log: every frame has every key up.
  CRecordedKeys();
  // A log in memory, shared with its owner.
  explicit CRecordedKeys(std::shared_ptr<const CCompactLog> log);
  CRecordedKeys(FSequentialRead read, std::uint64_t size);

  // The next recorded frame. A log that has ended plays on with no key
  // held; a last frame cut short (more than 10 but fewer than 112 bytes)
  // is read as far as it goes, the missing bytes counting as keys up.
  void fReadFrame();
  // Down in the frame read last.
  bool fIsDown(EGameKey key) const { return mRecorded[static_cast<std::size_t>(fKeyIndex(key))]; }
  // once = false: down; once = true: true once per press (the latch rule).
  bool fIsPush(EGameKey key, bool once) override;

  // True once every whole frame of the log has been read.
  bool fIsLogFinished() const;
  // True while at least one whole frame (112 bytes) is left to read.
  bool fHasWholeFrame() const;
  // Nothing more is read from here on.
  void fClose();

  // Where a log in memory is read from, with what was read last: enough to
  // go back to any earlier frame of the same log.
  struct SPosition {
    std::array<bool, kGameKeyCount> latch{};
    std::array<bool, kGameKeyCount> recorded{};
    std::uint64_t logPosition = 0;
  };
  SPosition fPosition() const { return SPosition{mLatch, mRecorded, mLogPosition}; }
  // Only a log in memory can be set back; a position past its end is a
  // programming error.
  void fSetPosition(const SPosition& position);

 private:
  std::size_t fReadLog(unsigned char* buffer, std::size_t size);

  std::array<bool, kGameKeyCount> mLatch{};
  std::array<bool, kGameKeyCount> mRecorded{};
  std::shared_ptr<const CCompactLog> mLog;  // a log in memory, or
  FSequentialRead mRead;                    // one read in order
  bool mOpen = false;
  std::uint64_t mLogSize = 0;
  std::uint64_t mLogPosition = 0;
};
