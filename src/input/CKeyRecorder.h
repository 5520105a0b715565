// The recording half of the live key manager: every frame's snapshot is
// buffered in memory and the disk is touched only when recording is flushed
// or ends, so a frame never waits for the file. The buffer keeps a value a
// bit while all of them are 0 or 1 (always, for keys): a long game's frames
// are 14 bytes each instead of 112 (2 MB instead of 17 for 153,000 frames).
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
  std::size_t fBufferedFrameCount() const { return mValues / kGameKeyCount; }
  // Bytes the buffer holds (for the memory figures).
  std::size_t fBufferBytes() const { return mBits.capacity() * 8 + mWide.capacity() * 4; }

 private:
  void fWriteBuffer();
  void fUnpack();

  // Value i is bit i of mBits while mPacked; otherwise mWide[i].
  std::vector<std::uint64_t> mBits;
  std::vector<std::int32_t> mWide;
  std::size_t mValues = 0;
  bool mPacked = true;
  bool mRecording = false;
  bool mStopWhenIdle = false;
  int mIdleFrames = 0;
  int mIdleLimit = 0;
  std::unique_ptr<CBinaryFile> mFile;
  std::string mPath;
};
