// Sound synthesis toolkit: oscillators, envelopes, filters and seeded noise.
// Everything is plain arithmetic with fixed seeds, so every run of the
// generator writes the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;

// Equal-tempered pitch: MIDI note 69 is A4 = 440 Hz.
double fMidiToHz(double note);

// White noise from a 32-bit xorshift: the same seed gives the same sound on
// every machine (std:: distributions are not portable, this is).
class CNoise {
 public:
  explicit CNoise(uint32_t seed) : mState(seed == 0 ? 0x9e3779b9u : seed) {}
  float fNext();  // uniform in [-1, 1)

 private:
  uint32_t mState;
};

enum class EWave { Sine, Triangle, Square, Saw, Pulse25 };

// An oscillator with band-limited edges (polyBLEP, so high notes do not alias
// into harsh buzz). Phase is in cycles, 0..1.
class COscillator {
 public:
  explicit COscillator(EWave wave, double phase = 0.0) : mWave(wave), mPhase(phase) {}
  float fNext(double hz);

 private:
  EWave mWave;
  double mPhase;
};

// Resonant two-pole filter (the usual "cookbook" biquad). Coefficients can be
// changed every sample for sweeps.
class CBiquad {
 public:
  void fSetLowpass(double hz, double q);
  void fSetHighpass(double hz, double q);
  void fSetBandpass(double hz, double q);
  float fProcess(float x);

 private:
  double mB0 = 1, mB1 = 0, mB2 = 0, mA1 = 0, mA2 = 0;
  double mX1 = 0, mX2 = 0, mY1 = 0, mY2 = 0;
};

// Attack-decay-sustain-release, times in seconds; fAt(t, held) gives the
// level at time t after the note starts when the key was held `held` s.
struct SAdsr {
  double attack = 0.005;
  double decay = 0.1;
  double sustain = 0.7;
  double release = 0.1;
  double fAt(double t, double held) const;
  double fLength(double held) const { return held + release; }
};

// A mono sound being built: samples at kSampleRate.
class CSoundBuffer {
 public:
  explicit CSoundBuffer(double seconds);
  std::vector<float>& fSamples() { return mSamples; }
  const std::vector<float>& fSamples() const { return mSamples; }
  size_t fSize() const { return mSamples.size(); }
  void fAdd(size_t index, float value) {
    if (index < mSamples.size()) mSamples[index] += value;
  }
  // Scales so the loudest sample reaches `peak`, then fades the last few
  // milliseconds so the sound never ends on a click.
  void fFinish(float peak);

 private:
  std::vector<float> mSamples;
};

// Gliding tone: frequency moves exponentially from `fromHz` to `toHz` over
// the duration; the envelope shapes its level.
void fAddGlide(CSoundBuffer& out, double start, double duration, EWave wave, double fromHz, double toHz,
               const SAdsr& envelope, double level);
// An inharmonic bell (partials 1, 2.0, 2.76, 5.4 decaying at their own rates).
void fAddBell(CSoundBuffer& out, double start, double hz, double decay, double level);
// Filtered noise burst with a lowpass cutoff gliding from `fromHz` to `toHz`.
void fAddNoise(CSoundBuffer& out, double start, double duration, double fromHz, double toHz, double q,
               const SAdsr& envelope, double level, uint32_t seed);
