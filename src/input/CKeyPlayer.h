// The replay input source: answers every key question from a recorded key
// log, one frame per fUpdateKeyState, so the unchanged game code replays the
// recorded game. Escape, F1 and F2 stay live so a replay can be left, sped up
// or slowed down.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "input/CKeyManager.h"
#include "input/CKeyManagerBase.h"
#include "replay/CRecordedKeys.h"
#include "util/CCompactLog.h"

class CBinaryFile;

class CKeyPlayer : public CKeyManagerBase {
 public:
  // The key log's bytes in memory, for playing an archive without files.
  struct SKeyLogBytes {
    std::string bytes;
  };

  // Opens the key log file; throws CGameError when it cannot be opened.
  explicit CKeyPlayer(const std::string& keyLogPath);
  explicit CKeyPlayer(SKeyLogBytes keyLog);
  // A log shared with its owner (a replay played again and again).
  explicit CKeyPlayer(std::shared_ptr<const CCompactLog> keyLog);
  ~CKeyPlayer() override;
  CKeyPlayer(const CKeyPlayer&) = delete;
  CKeyPlayer& operator=(const CKeyPlayer&) = delete;

  // While playing: the next recorded frame, then the live keys. Otherwise nothing.
  void fUpdateKeyState() override;
  EDirectionTenkey fGetDirection() override;
  int fIsDownNow(EGameKey key) override;
  int fIsTriggered(EGameKey key) override;
  bool fIsPressed(EGameKey key) override;
  bool fIsPush(EGameKey key, bool once) override;
  // A recorded log has no pad: asking is a programming error.
  int fGetPressedJoypadButton() override;
  void fSetupPadButtonFromSetting() override;

  virtual int fIsLiveDown(EGameKey key);
  // The latch rule on the recorded snapshot, for every key.
  virtual int fIsRecordedTrigger(EGameKey key);
  virtual bool fIsLiveDownExact(EGameKey key);
  virtual bool fIsLivePush(EGameKey key, bool once);
  virtual void fStart();
  virtual void fStop();
  // Stops and closes the key log.
  virtual void fEnd();

  // Reads the next recorded frame whether playing or not, and leaves the live
  // keys alone: the replay theatre paces the log itself and reads Escape,
  // F1 and F2 on its own.
  void fPlayRecordedFrame() { fReadFrame(); }

  bool fIsPlaying() const { return mPlaying; }
  // True once every whole frame of the log has been played.
  bool fIsLogFinished() const;
  // True while at least one whole frame (112 bytes) is left to read.
  bool fHasWholeFrame() const;

  // Where a log in memory is read from, with what was read last: enough to
  // go back to any earlier frame of the same log.
  using SPosition = CRecordedKeys::SPosition;
  SPosition fPosition() const { return mKeys.fPosition(); }
  // Only a log in memory can be set back; a position past its end is a
  // programming error.
  void fSetPosition(const SPosition& position) { mKeys.fSetPosition(position); }
  // The recorded keys alone, as the rules read them.
  CRecordedKeys& fRecordedKeys() { return mKeys; }

 private:
  void fReadFrame() { mKeys.fReadFrame(); }

  bool mPlaying = false;
  std::unique_ptr<CBinaryFile> mLogFile;  // a log on disk, read as it plays
  CRecordedKeys mKeys;
  CKeyManager mLive;
};
