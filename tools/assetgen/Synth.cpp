#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double fMidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

float CNoise::fNext() {
  mState ^= mState << 13;
  mState ^= mState >> 17;
  mState ^= mState << 5;
  return static_cast<float>(static_cast<double>(mState) / 2147483648.0 - 1.0);
}

namespace {

// Smooths a step at phase 0 (polyBLEP): removes most aliasing of saw/square.
double fPolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

double fPulse(double phase, double dt, double duty) {
  double value = phase < duty ? 1.0 : -1.0;
  value += fPolyBlep(phase, dt);
  value -= fPolyBlep(std::fmod(phase + 1.0 - duty, 1.0), dt);
  return value;
}

}  // namespace

float COscillator::fNext(double hz) {
  const double dt = std::min(hz / kSampleRate, 0.5);
  double value = 0.0;
  switch (mWave) {
    case EWave::Sine:
      value = std::sin(2.0 * std::numbers::pi * mPhase);
      break;
    case EWave::Saw:
      value = 2.0 * mPhase - 1.0 - fPolyBlep(mPhase, dt);
      break;
    case EWave::Square:
      value = fPulse(mPhase, dt, 0.5);
      break;
    case EWave::Pulse25:
      value = fPulse(mPhase, dt, 0.25);
      break;
    case EWave::Triangle:
      // Its harmonics fall off fast enough that the plain shape does not
      // alias audibly; it also starts centred, with no thump.
      value = 1.0 - 4.0 * std::fabs(std::fmod(mPhase + 0.25, 1.0) - 0.5);
      break;
  }
  mPhase += dt;
  if (mPhase >= 1.0) mPhase -= 1.0;
  return static_cast<float>(value);
}

void CBiquad::fSetLowpass(double hz, double q) {
  const double w = 2.0 * std::numbers::pi * std::clamp(hz, 10.0, kSampleRate * 0.45) / kSampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double cw = std::cos(w);
  const double a0 = 1.0 + alpha;
  mB0 = (1.0 - cw) / 2.0 / a0;
  mB1 = (1.0 - cw) / a0;
  mB2 = mB0;
  mA1 = -2.0 * cw / a0;
  mA2 = (1.0 - alpha) / a0;
}

void CBiquad::fSetHighpass(double hz, double q) {
  const double w = 2.0 * std::numbers::pi * std::clamp(hz, 10.0, kSampleRate * 0.45) / kSampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double cw = std::cos(w);
  const double a0 = 1.0 + alpha;
  mB0 = (1.0 + cw) / 2.0 / a0;
  mB1 = -(1.0 + cw) / a0;
  mB2 = mB0;
  mA1 = -2.0 * cw / a0;
  mA2 = (1.0 - alpha) / a0;
}

void CBiquad::fSetBandpass(double hz, double q) {
  const double w = 2.0 * std::numbers::pi * std::clamp(hz, 10.0, kSampleRate * 0.45) / kSampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double cw = std::cos(w);
  const double a0 = 1.0 + alpha;
  mB0 = alpha / a0;
  mB1 = 0.0;
  mB2 = -alpha / a0;
  mA1 = -2.0 * cw / a0;
  mA2 = (1.0 - alpha) / a0;
}

float CBiquad::fProcess(float x) {
  const double y = mB0 * x + mB1 * mX1 + mB2 * mX2 - mA1 * mY1 - mA2 * mY2;
  mX2 = mX1;
  mX1 = x;
  mY2 = mY1;
  mY1 = y;
  return static_cast<float>(y);
}

double SAdsr::fAt(double t, double held) const {
  auto level = [&](double u) {
    if (u < 0.0) return 0.0;
    if (u < attack) return u / attack;
    if (u < attack + decay) return 1.0 - (1.0 - sustain) * (u - attack) / decay;
    return sustain;
  };
  if (t < held) return level(t);
  if (release <= 0.0) return 0.0;
  const double r = (t - held) / release;
  return r >= 1.0 ? 0.0 : level(held) * (1.0 - r) * (1.0 - r);
}

CSoundBuffer::CSoundBuffer(double seconds)
    : mSamples(static_cast<size_t>(std::ceil(seconds * kSampleRate)), 0.0f) {}

void CSoundBuffer::fFinish(float peak) {
  float loudest = 0.0f;
  for (float s : mSamples) loudest = std::max(loudest, std::fabs(s));
  if (loudest > 0.0f) {
    for (float& s : mSamples) s *= peak / loudest;
  }
  const size_t fade = std::min<size_t>(mSamples.size(), kSampleRate / 200);
  for (size_t i = 0; i < fade; ++i) {
    mSamples[mSamples.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
  }
}

void fAddGlide(CSoundBuffer& out, double start, double duration, EWave wave, double fromHz, double toHz,
               const SAdsr& envelope, double level) {
  COscillator osc(wave);
  const double total = envelope.fLength(duration);
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(total * kSampleRate);
  const double ratio = toHz / fromHz;
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double hz = fromHz * std::pow(ratio, std::min(t / duration, 1.0));
    out.fAdd(first + i, static_cast<float>(level * envelope.fAt(t, duration) * osc.fNext(hz)));
  }
}

void fAddBell(CSoundBuffer& out, double start, double hz, double decay, double level) {
  static const double kRatios[] = {1.0, 2.0, 2.76, 5.4};
  static const double kLevels[] = {1.0, 0.45, 0.3, 0.12};
  static const double kDecays[] = {1.0, 0.6, 0.4, 0.2};
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(decay * 5.0 * kSampleRate);
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double attack = std::min(t / 0.002, 1.0);
    double value = 0.0;
    for (int p = 0; p < 4; ++p) {
      value += kLevels[p] * std::exp(-t / (decay * kDecays[p])) * std::sin(2.0 * std::numbers::pi * hz * kRatios[p] * t);
    }
    out.fAdd(first + i, static_cast<float>(level * attack * value * 0.5));
  }
}

void fAddNoise(CSoundBuffer& out, double start, double duration, double fromHz, double toHz, double q,
               const SAdsr& envelope, double level, uint32_t seed) {
  CNoise noise(seed);
  CBiquad filter;
  const double total = envelope.fLength(duration);
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(total * kSampleRate);
  const double ratio = toHz / fromHz;
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (i % 16 == 0) filter.fSetLowpass(fromHz * std::pow(ratio, std::min(t / total, 1.0)), q);
    const float x = filter.fProcess(noise.fNext());
    out.fAdd(first + i, static_cast<float>(level * envelope.fAt(t, duration) * x));
  }
}
