// The 22 sound effects of the game's table, each synthesised from
// oscillators, envelopes and seeded noise. Effects the stage plays (7, 8, 15
// to 21) are shaped for their moments; the others are loaded by the game and
// kept short and friendly in the same style.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Mp3Encoder.h"
#include "Sounds.h"
#include "Synth.h"
#include "WavWriter.h"

namespace {

double fNote(const char* name) {
  // Few enough notes are needed that a tiny table reads better than parsing.
  struct SName {
    const char* name;
    double midi;
  };
  static const SName kNames[] = {{"C4", 60}, {"E4", 64}, {"G4", 67}, {"A4", 69}, {"C5", 72}, {"D5", 74},
                                 {"E5", 76}, {"F5", 77}, {"G5", 79}, {"A5", 81}, {"B5", 83}, {"C6", 84},
                                 {"D6", 86}, {"E6", 88}, {"G6", 91}, {"A6", 93}, {"C7", 96}, {"E7", 100}};
  for (const SName& entry : kNames) {
    if (std::string(entry.name) == name) return fMidiToHz(entry.midi);
  }
  return 440.0;
}

SAdsr fPluck(double decay) { return {0.002, decay, 0.0, 0.01}; }

// A soft brass voice: a saw through a lowpass that opens with the attack.
void fAddBrass(CSoundBuffer& out, double start, double held, double hz, double level) {
  COscillator saw(EWave::Saw), sub(EWave::Square);
  CBiquad filter;
  const SAdsr envelope{0.03, 0.15, 0.75, 0.25};
  const size_t first = static_cast<size_t>(start * kSampleRate);
  const size_t count = static_cast<size_t>(envelope.fLength(held) * kSampleRate);
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double e = envelope.fAt(t, held);
    if (i % 16 == 0) filter.fSetLowpass(400.0 + 3200.0 * e, 0.9);
    const double vibrato = 1.0 + 0.004 * std::sin(2 * 3.14159265 * 5.5 * t) * std::min(t / 0.3, 1.0);
    const float x = saw.fNext(hz * vibrato) * 0.7f + sub.fNext(hz * 0.5 * vibrato) * 0.25f;
    out.fAdd(first + i, static_cast<float>(level * e) * filter.fProcess(x));
  }
}

// High, quick twinkles at seeded pitches of a major pentatonic.
void fAddSparkles(CSoundBuffer& out, double start, double span, int count, double level, uint32_t seed) {
  CNoise random(seed);
  static const double kScale[] = {0, 2, 4, 7, 9};
  for (int i = 0; i < count; ++i) {
    const double when = start + span * i / count + 0.01 * random.fNext();
    const int step = static_cast<int>((random.fNext() + 1.0f) * 2.5f) % 5;
    const double midi = 96 + kScale[step] + 12 * (i % 2);
    fAddGlide(out, std::max(0.0, when), 0.01, EWave::Sine, fMidiToHz(midi), fMidiToHz(midi), fPluck(0.09),
              level * (1.0 - 0.5 * i / count));
  }
}

struct SEffect {
  const char* file;
  double seconds;
  float peak;
  std::function<void(CSoundBuffer&)> build;
};

std::vector<SEffect> fEffects() {
  return {
      {"se017-0006.wav", 0.2, 0.7f,
       [](CSoundBuffer& b) {  // a bright pop
         fAddGlide(b, 0, 0.06, EWave::Sine, 500, 1300, fPluck(0.09), 1.0);
         fAddNoise(b, 0, 0.01, 6000, 2000, 0.7, fPluck(0.02), 0.3, 17);
       }},
      {"get_50.wav", 0.5, 0.6f,
       [](CSoundBuffer& b) {  // item get: a quick rising arpeggio
         const char* notes[] = {"C6", "E6", "G6", "C7"};
         for (int i = 0; i < 4; ++i) fAddGlide(b, 0.055 * i, 0.05, EWave::Pulse25, fNote(notes[i]), fNote(notes[i]), fPluck(0.18), 0.5);
       }},
      {"bom10.wav", 0.9, 0.85f,
       [](CSoundBuffer& b) {  // explosion: rumbling noise and a low thump
         fAddNoise(b, 0, 0.05, 4000, 150, 0.8, {0.002, 0.7, 0.0, 0.05}, 1.0, 10);
         fAddGlide(b, 0, 0.3, EWave::Sine, 90, 35, {0.002, 0.4, 0.0, 0.05}, 0.9);
       }},
      {"tm2_laser001.wav", 0.3, 0.6f,
       [](CSoundBuffer& b) { fAddGlide(b, 0, 0.25, EWave::Square, 2200, 260, {0.002, 0.25, 0.0, 0.02}, 0.6); }},
      {"crash25.wav", 0.7, 0.75f,
       [](CSoundBuffer& b) {  // crash: bright noise with a metallic ring
         fAddNoise(b, 0, 0.02, 9000, 2500, 0.7, {0.001, 0.5, 0.0, 0.05}, 1.0, 25);
         fAddBell(b, 0, 410, 0.12, 0.5);
         fAddBell(b, 0, 587, 0.1, 0.4);
       }},
      {"power32.wav", 0.6, 0.6f,
       [](CSoundBuffer& b) {  // power up: a rising sweep in steps
         for (int i = 0; i < 8; ++i) {
           const double hz = 220.0 * std::pow(2.0, i / 3.0);
           fAddGlide(b, 0.06 * i, 0.05, EWave::Square, hz, hz * 1.26, fPluck(0.07), 0.45);
         }
       }},
      {"mecha20.wav", 0.35, 0.7f,
       [](CSoundBuffer& b) {  // machine: clicks and a clunk
         for (int i = 0; i < 3; ++i) fAddNoise(b, 0.07 * i, 0.005, 5000, 1500, 2.0, fPluck(0.03), 0.8, 20 + i);
         fAddGlide(b, 0.21, 0.05, EWave::Square, 140, 90, fPluck(0.08), 0.5);
       }},
      {"ok1a.mp3", 1.0, 0.7f,
       [](CSoundBuffer& b) {  // "ready": a gentle two-note chime
         fAddBell(b, 0.0, fNote("E6"), 0.22, 0.8);
         fAddBell(b, 0.16, fNote("A6"), 0.3, 0.9);
       }},
      {"ok1b.mp3", 1.1, 0.75f,
       [](CSoundBuffer& b) {  // "go!": a bright rising chord
         const char* notes[] = {"C6", "E6", "G6", "C7"};
         for (int i = 0; i < 4; ++i) fAddBell(b, 0.04 * i, fNote(notes[i]), 0.3, 0.7);
         fAddGlide(b, 0.12, 0.25, EWave::Pulse25, fNote("C6"), fNote("C6"), {0.01, 0.1, 0.4, 0.2}, 0.25);
         fAddSparkles(b, 0.15, 0.4, 6, 0.3, 8);
       }},
      {"cursor00_a.wav", 0.06, 0.6f,
       [](CSoundBuffer& b) { fAddGlide(b, 0, 0.02, EWave::Sine, 1500, 1400, fPluck(0.025), 1.0); }},
      {"shoot16_b.wav", 0.2, 0.6f,
       [](CSoundBuffer& b) { fAddGlide(b, 0, 0.15, EWave::Pulse25, 1400, 180, fPluck(0.15), 0.7); }},
      {"quiz1.wav", 1.4, 0.7f,
       [](CSoundBuffer& b) {  // ding-dong
         fAddBell(b, 0.0, fNote("A5"), 0.25, 0.9);
         fAddBell(b, 0.35, fNote("F5"), 0.3, 0.9);
       }},
      {"hit76_d.wav", 0.25, 0.75f,
       [](CSoundBuffer& b) {
         fAddNoise(b, 0, 0.01, 3000, 600, 0.7, fPluck(0.08), 0.8, 76);
         fAddGlide(b, 0, 0.12, EWave::Sine, 220, 60, fPluck(0.16), 1.0);
       }},
      {"power31.wav", 0.7, 0.6f,
       [](CSoundBuffer& b) {  // power down
         fAddGlide(b, 0, 0.6, EWave::Triangle, 1200, 150, {0.005, 0.2, 0.8, 0.08}, 0.9);
       }},
      {"tm2_quiz000good.wav", 1.0, 0.7f,
       [](CSoundBuffer& b) {  // correct!
         fAddBell(b, 0.0, fNote("C6"), 0.2, 0.8);
         fAddBell(b, 0.1, fNote("G6"), 0.28, 0.9);
         fAddSparkles(b, 0.15, 0.3, 5, 0.25, 14);
       }},
      {"PutA@22.wav", 0.16, 0.55f,
       [](CSoundBuffer& b) {  // a ball lands: soft, low and short, heard often
         fAddGlide(b, 0, 0.1, EWave::Sine, 160, 55, {0.001, 0.12, 0.0, 0.02}, 1.0);
         fAddNoise(b, 0, 0.01, 1400, 500, 0.7, fPluck(0.03), 0.25, 22);
       }},
      {"pochi01@11.wav", 0.08, 0.5f,
       [](CSoundBuffer& b) {  // hold: a small two-step click
         fAddGlide(b, 0, 0.01, EWave::Sine, 2100, 1900, fPluck(0.018), 1.0);
         fAddGlide(b, 0.028, 0.01, EWave::Sine, 2800, 2600, fPluck(0.02), 0.8);
       }},
      {"tm2_quiz004.wav", 1.9, 0.8f,
       [](CSoundBuffer& b) {  // new record fanfare: ta-ta-ta-taaa
         for (int i = 0; i < 3; ++i) fAddBrass(b, 0.13 * i, 0.07, fNote("G4"), 0.6);
         fAddBrass(b, 0.39, 0.85, fNote("C5"), 0.6);
         fAddBrass(b, 0.39, 0.85, fNote("E5"), 0.45);
         fAddBrass(b, 0.39, 0.85, fNote("G5"), 0.4);
         fAddSparkles(b, 0.45, 0.9, 10, 0.22, 4);
       }},
      {"power04.wav", 0.6, 0.6f,
       [](CSoundBuffer& b) {  // balls vanish: a sparkle
         fAddSparkles(b, 0.0, 0.3, 8, 0.9, 404);
         fAddNoise(b, 0, 0.15, 9000, 5000, 0.6, {0.01, 0.2, 0.0, 0.05}, 0.08, 4);
       }},
      {"pi14.wav", 0.25, 0.55f,
       [](CSoundBuffer& b) {  // the camera turns: a short whoosh with a blip
         fAddNoise(b, 0, 0.16, 500, 3200, 1.8, {0.06, 0.1, 0.2, 0.05}, 1.0, 14);
         fAddGlide(b, 0, 0.03, EWave::Sine, 880, 990, fPluck(0.05), 0.25);
       }},
      {"chain.wav", 0.45, 0.65f,
       [](CSoundBuffer& b) {  // a chain step: an upward pair of bells; the game plays it higher each step
         fAddGlide(b, 0, 0.04, EWave::Pulse25, fNote("C5"), fNote("G5"), fPluck(0.12), 0.45);
         fAddBell(b, 0.04, fNote("G5"), 0.18, 0.8);
         fAddBell(b, 0.11, fNote("C6"), 0.25, 0.9);
       }},
      {"levelup.wav", 1.2, 0.75f,
       [](CSoundBuffer& b) {  // level up: a climbing major arpeggio ending in a held chord
         const char* notes[] = {"C5", "E5", "G5", "C6"};
         for (int i = 0; i < 4; ++i) fAddGlide(b, 0.07 * i, 0.06, EWave::Square, fNote(notes[i]), fNote(notes[i]), fPluck(0.14), 0.35);
         fAddBrass(b, 0.3, 0.4, fNote("C5"), 0.45);
         fAddBrass(b, 0.3, 0.4, fNote("E5"), 0.35);
         fAddBrass(b, 0.3, 0.4, fNote("G5"), 0.3);
         fAddSparkles(b, 0.32, 0.5, 6, 0.2, 31);
       }},
  };
}

}  // namespace

void fMakeSoundEffects(CAssetWriter& out) {
  for (const SEffect& effect : fEffects()) {
    CSoundBuffer buffer(effect.seconds);
    effect.build(buffer);
    buffer.fFinish(effect.peak);
    const std::string name = effect.file;
    if (name.ends_with(".mp3")) {
      std::vector<float> stereo;
      stereo.reserve(buffer.fSize() * 2);
      for (float s : buffer.fSamples()) {
        stereo.push_back(s);
        stereo.push_back(s);
      }
      out.fWrite("sound/" + name, fEncodeMp3(stereo, 128));
    } else {
      out.fWrite("sound/" + name, fEncodeWav(fToPcm16(buffer.fSamples()), 1, kSampleRate));
    }
  }
}
