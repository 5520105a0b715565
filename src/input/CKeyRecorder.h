// The recording half of the live key manager: every frame's snapshot is
// buffered in memory and the disk is touched only when recording is flushed
// or ends, so a frame never waits for the file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "input/GameKey.h"

class CBinaryFile;

class CKeyRecorder {
 public:
  CKeyRecorder();
  ~CKeyRecorder();
  CKeyRecorder(const CKeyRecorder&) = delete;
  CKeyRecorder& operator=(const CKeyRecorder&) = delete;

  // Opens the key log (appending, or created new) and keeps the idle
  // settings; recording stays off until fResume. A log still open from an
  // earlier start is ended first, so its frames land in its own file.
  void fStart(const std::string& path, bool append, bool stopWhenIdle, int idleLimit);
  void fResume();
  void fPause();
  // Writes the buffered frames and keeps the file open.
  void fFlush();
  // Writes the buffered frames, closes the file, recording off.
  void fEnd();

  // One frame's snapshot; ignored while recording is off.
  void fRecordFrame(const std::array<std::int32_t, kGameKeyCount>& snapshot);

  bool fIsRecording() const { return mRecording; }
  bool fIsOpen() const;
  const std::string& fPath() const { return mPath; }
  // Frames buffered and not yet written.
  std::size_t fBufferedFrameCount() const { return mBuffer.size() / kGameKeyCount; }

 private:
  void fWriteBuffer();

  std::vector<std::int32_t> mBuffer;
  bool mRecording = false;
  bool mStopWhenIdle = false;
  int mIdleFrames = 0;
  int mIdleLimit = 0;
  std::unique_ptr<CBinaryFile> mFile;
  std::string mPath;
};
