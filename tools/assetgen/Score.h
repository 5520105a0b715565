// The music's notation: one line of text per track, parsed into notes.
//
//   "E5/2 G5 C6+E6/4! r/2 - |"
//   NAME     a pitch (C4 = MIDI 60, sharps "F#3", flats "Bb2") or a drum
//            (k kick, s snare, h closed hat, o open hat); "+" joins a chord
//   /N       length in units (the piece's step, e.g. an eighth); default 1
//   ! ~      accent / soft (velocity 1.0 / 0.5; plain notes 0.8)
//   r/N      rest;  -/N  holds the previous notes N units longer
//   |        bar line, for the reader only
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

struct SNote {
  double start = 0.0;   // in beats
  double length = 0.0;  // in beats
  int pitch = 0;        // MIDI note, or one of the drum codes below
  double velocity = 0.8;
};

constexpr int kDrumKick = 200;
constexpr int kDrumSnare = 201;
constexpr int kDrumHat = 202;
constexpr int kDrumOpenHat = 203;

// A pitch name or drum letter; throws std::invalid_argument when unknown.
int fParsePitch(std::string_view name);

struct STrack {
  std::vector<SNote> notes;
  double beats = 0.0;  // where the last note or rest ends
};

// Notes of one track; `unitBeats` is the length of one unit in beats.
// Throws std::invalid_argument (with the token) on a malformed token.
STrack fParseTrack(std::string_view text, double unitBeats);

// A stereo buffer of fixed length whose writes wrap round: a note that rings
// past the end of a loop continues at its start, so the loop joins smoothly.
class CLoopBuffer {
 public:
  explicit CLoopBuffer(size_t frames) : mLeft(frames, 0.0f), mRight(frames, 0.0f) {}
  size_t fFrames() const { return mLeft.size(); }
  void fAdd(size_t frame, float left, float right) {
    const size_t i = frame % mLeft.size();
    mLeft[i] += left;
    mRight[i] += right;
  }
  std::vector<float>& fLeft() { return mLeft; }
  std::vector<float>& fRight() { return mRight; }
  const std::vector<float>& fLeft() const { return mLeft; }
  const std::vector<float>& fRight() const { return mRight; }
  // Echo taps `delayFrames` apart (each `feedback` times the last), read
  // round the loop so the echo of the last bar sounds over the first.
  void fApplyEcho(size_t delayFrames, float feedback, int taps, bool pingPong);
  // Interleaved left/right.
  std::vector<float> fInterleaved() const;

 private:
  std::vector<float> mLeft;
  std::vector<float> mRight;
};
