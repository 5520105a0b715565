// The three music loops. Each piece is written as text tracks (see Score.h),
// played by a handful of synthesised instruments into a loop buffer whose
// writes wrap round: the notes and echoes that ring past the last bar sound
// over the first, so the piece joins itself without a gap or click.
#include <algorithm>
#include <cmath>
#include <future>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "Mp3Encoder.h"
#include "Score.h"
#include "Sounds.h"
#include "Synth.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

enum class EVoice { Lead, Bell, Bass, Stab, Pad, Drums };

struct SPart {
  EVoice voice;
  std::string notes;
  double level;
  double pan;     // -1 left .. 1 right
  bool echo;      // sent through the echo
  int transpose;  // semitones
};

struct SPiece {
  const char* file;
  double bpm;
  int bars;  // of 4/4
  std::vector<SPart> parts;
  double echoBeats;
};

// --- instruments ------------------------------------------------------------

// One voice's samples for one note (mono), from the note's start.
std::vector<float> fRenderNote(EVoice voice, const SNote& note, double seconds, uint32_t seed) {
  const double hz = fMidiToHz(note.pitch);
  double tail = 0.3;
  if (voice == EVoice::Bell) tail = 1.2;
  if (voice == EVoice::Pad) tail = 0.6;
  if (voice == EVoice::Drums) tail = 0.35;
  const size_t count = static_cast<size_t>((seconds + tail) * kSampleRate);
  std::vector<float> out(count, 0.0f);
  switch (voice) {
    case EVoice::Lead: {
      COscillator pulse(EWave::Pulse25), square(EWave::Square);
      CBiquad tone;
      tone.fSetLowpass(4200, 0.7);
      const SAdsr envelope{0.008, 0.12, 0.65, 0.09};
      for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double vibrato = 1.0 + 0.006 * std::sin(kTwoPi * 5.5 * t) * std::clamp((t - 0.18) / 0.2, 0.0, 1.0);
        const float x = 0.6f * pulse.fNext(hz * vibrato) + 0.4f * square.fNext(hz * vibrato * 1.003);
        out[i] = static_cast<float>(envelope.fAt(t, seconds)) * tone.fProcess(x);
      }
      break;
    }
    case EVoice::Bell: {
      // Two-operator FM: a bright strike that mellows as the index decays.
      for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double index = 2.2 * std::exp(-t / 0.25);
        const double value = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * 3.0 * t));
        const double release = t < seconds ? 1.0 : std::exp(-(t - seconds) / 0.25);
        out[i] = static_cast<float>(value * std::exp(-t / 0.7) * std::min(t / 0.002, 1.0) * release);
      }
      break;
    }
    case EVoice::Bass: {
      COscillator triangle(EWave::Triangle), sine(EWave::Sine);
      const SAdsr envelope{0.004, 0.2, 0.55, 0.06};
      for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const float x = 0.7f * triangle.fNext(hz) + 0.5f * sine.fNext(hz);
        out[i] = static_cast<float>(envelope.fAt(t, seconds)) * x;
      }
      break;
    }
    case EVoice::Stab:
    case EVoice::Pad: {
      COscillator a(EWave::Saw, 0.0), b(EWave::Saw, 0.37);
      CBiquad tone;
      const bool pad = voice == EVoice::Pad;
      const SAdsr envelope = pad ? SAdsr{0.25, 0.4, 0.8, 0.5} : SAdsr{0.004, 0.1, 0.35, 0.07};
      for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double e = envelope.fAt(t, seconds);
        if (i % 32 == 0) tone.fSetLowpass(pad ? 1400.0 : 900.0 + 2200.0 * e, 0.8);
        const float x = 0.5f * a.fNext(hz * 0.997) + 0.5f * b.fNext(hz * 1.003);
        out[i] = static_cast<float>(e) * tone.fProcess(x);
      }
      break;
    }
    case EVoice::Drums: {
      CNoise noise(seed);
      CBiquad filter;
      COscillator body(EWave::Sine);
      if (note.pitch == kDrumKick) {
        for (size_t i = 0; i < count; ++i) {
          const double t = static_cast<double>(i) / kSampleRate;
          const double f = 45.0 + 110.0 * std::exp(-t / 0.03);
          out[i] = static_cast<float>(std::exp(-t / 0.12) * std::min(t / 0.001, 1.0)) * body.fNext(f) * 1.3f;
        }
      } else if (note.pitch == kDrumSnare) {
        filter.fSetBandpass(1900, 0.6);
        for (size_t i = 0; i < count; ++i) {
          const double t = static_cast<double>(i) / kSampleRate;
          const float tone = body.fNext(190.0) * static_cast<float>(std::exp(-t / 0.05)) * 0.5f;
          const float rattle = filter.fProcess(noise.fNext()) * static_cast<float>(std::exp(-t / 0.09)) * 1.4f;
          out[i] = (tone + rattle) * static_cast<float>(std::min(t / 0.001, 1.0));
        }
      } else {
        filter.fSetHighpass(7000, 0.7);
        const double decay = note.pitch == kDrumOpenHat ? 0.16 : 0.035;
        for (size_t i = 0; i < count; ++i) {
          const double t = static_cast<double>(i) / kSampleRate;
          out[i] = filter.fProcess(noise.fNext()) * static_cast<float>(std::exp(-t / decay) * std::min(t / 0.0005, 1.0));
        }
      }
      break;
    }
  }
  return out;
}

// --- rendering --------------------------------------------------------------

std::vector<float> fRenderPiece(const SPiece& piece) {
  const double secondsPerBeat = 60.0 / piece.bpm;
  const double loopBeats = piece.bars * 4.0;
  const size_t frames = static_cast<size_t>(std::lround(loopBeats * secondsPerBeat * kSampleRate));
  CLoopBuffer dry(frames), wet(frames);
  uint32_t seed = 1;
  for (const SPart& part : piece.parts) {
    const STrack track = fParseTrack(part.notes, 0.5);  // one unit = an eighth note
    if (std::fabs(track.beats - loopBeats) > 1e-9) {
      throw std::logic_error(std::string(piece.file) + ": a part lasts " + std::to_string(track.beats) +
                             " beats, not " + std::to_string(loopBeats));
    }
    const float left = static_cast<float>(std::cos((part.pan + 1.0) * std::numbers::pi / 4.0));
    const float right = static_cast<float>(std::sin((part.pan + 1.0) * std::numbers::pi / 4.0));
    CLoopBuffer& target = part.echo ? wet : dry;
    for (SNote note : track.notes) {
      if (part.voice != EVoice::Drums) note.pitch += part.transpose;
      const std::vector<float> samples = fRenderNote(part.voice, note, note.length * secondsPerBeat, seed++);
      const size_t start = static_cast<size_t>(std::lround(note.start * secondsPerBeat * kSampleRate));
      const float gain = static_cast<float>(part.level * note.velocity);
      for (size_t i = 0; i < samples.size(); ++i) target.fAdd(start + i, gain * left * samples[i], gain * right * samples[i]);
    }
  }
  wet.fApplyEcho(static_cast<size_t>(std::lround(piece.echoBeats * secondsPerBeat * kSampleRate)), 0.32f, 4, true);
  std::vector<float> mix = dry.fInterleaved();
  const std::vector<float> echoed = wet.fInterleaved();
  float loudest = 0.0f;
  for (size_t i = 0; i < mix.size(); ++i) {
    mix[i] += echoed[i];
    loudest = std::max(loudest, std::fabs(mix[i]));
  }
  // One gain for the whole loop, leaving headroom for the MP3 encoder.
  const float gain = loudest > 0.0f ? 0.8f / loudest : 1.0f;
  for (float& s : mix) s *= gain;
  return mix;
}

// --- writing the parts --------------------------------------------------------

std::string fRepeat(const std::string& bar, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += bar + " | ";
  return out;
}

// Bouncing octave bass, an eighth note at a time: low, high, low, fifth ...
std::string fBassBar(const std::string& low, const std::string& high, const std::string& fifth) {
  return low + " " + high + " " + low + " " + fifth + " " + high + " " + low + " " + fifth + " " + high + " | ";
}

// Chords on the off-beats (the skank of a cheerful tune).
std::string fStabBar(const std::string& chord) {
  return "r " + chord + " r " + chord + " r " + chord + " r " + chord + " | ";
}

// --- the pieces ---------------------------------------------------------------

// Stage music: bright and bouncy, C major, 132 BPM, 16 bars (29 s).
SPiece fStageMusic() {
  const std::string melody =
      "E5 G5 C6/2 G5 E5 G5/2 | A5 G5 E5 C5 D5/2 E5/2 | F5 A5 C6/2 A5 F5 A5/2 | G5 F5 E5 D5 B4/2 G4/2 | "
      "E5 G5 C6/2 D6 C6 G5/2 | A5/2 C6 A5 G5/2 E5/2 | F5 E5 D5 F5 A5/2 G5 F5 | E5/2 D5/2 G5/4 | "
      "A5/3 G5 A5/2 C6/2 | B5/3 A5 G5/2 D5/2 | G5 E5 B5/2 G5 E5 B4/2 | C6/2 B5 A5 E5/4 | "
      "F5 A5 C6 A5 D6/2 C6/2 | B5 D6 B5 G5 A5/2 B5/2 | C6/2 G5 E5 G5/2 C6/2 | D6 C6 B5 A5 G5/2 F5 D5 |";
  // The B half again an octave up on the bell; the A half rests.
  const std::string bell = "r/64 " + melody.substr(melody.find("A5/3"));
  struct SChord {
    const char *low, *high, *fifth, *stab;
  };
  const SChord chords[] = {{"C3", "C4", "G3", "C4+E4+G4"}, {"A2", "A3", "E3", "A3+C4+E4"},
                           {"F2", "F3", "C3", "A3+C4+F4"}, {"G2", "G3", "D3", "B3+D4+G4"},
                           {"C3", "C4", "G3", "C4+E4+G4"}, {"A2", "A3", "E3", "A3+C4+E4"},
                           {"D3", "D4", "A3", "A3+D4+F4"}, {"G2", "G3", "D3", "B3+D4+G4"},
                           {"F2", "F3", "C3", "A3+C4+F4"}, {"G2", "G3", "D3", "B3+D4+G4"},
                           {"E2", "E3", "B2", "B3+E4+G4"}, {"A2", "A3", "E3", "A3+C4+E4"},
                           {"F2", "F3", "C3", "A3+C4+F4"}, {"G2", "G3", "D3", "B3+D4+G4"},
                           {"C3", "C4", "G3", "C4+E4+G4"}, {"G2", "G3", "D3", "B3+D4+F4"}};
  std::string bass, stabs;
  for (const SChord& c : chords) {
    bass += fBassBar(c.low, c.high, c.fifth);
    stabs += fStabBar(c.stab);
  }
  const std::string beat = "k+h h~ s+h h~ k+h k+h~ s+h h~";
  const std::string drums = fRepeat(beat, 7) + fRepeat("k+h h~ s+h h~ k+h s~ s s!", 1) + fRepeat(beat, 7) +
                            "k+h h~ s+h h~ k+s s s! o |";
  return {"tamco03.mp3",
          132,
          16,
          {{EVoice::Lead, melody, 0.30, -0.15, true, 0},
           {EVoice::Bell, bell, 0.12, 0.35, true, 12},
           {EVoice::Bass, bass, 0.42, 0.0, false, 0},
           {EVoice::Stab, stabs, 0.10, 0.25, false, 0},
           {EVoice::Drums, drums, 0.30, 0.0, false, 0}},
          0.75};
}

// Energetic, G major, 140 BPM, 16 bars (27 s).
SPiece fUpbeatMusic() {
  const std::string melody =
      "B4 D5 G5/2 F#5 G5 A5/2 | F#5/2 E5 D5 A4/2 D5/2 | G5 F#5 E5 B4 E5/2 G5/2 | E5/3 D5 C5/2 E5/2 | "
      "D5 G5 B5/2 A5 G5 D5/2 | F#5 A5 D6/2 C6 A5 F#5/2 | E5 G5 C6/2 B5 A5 G5/2 | A5/4 F#5/2 D5/2 | "
      "B5/2 G5 E5 B5/2 G5 B5 | C6/2 G5 E5 C6/2 B5 A5 | B5 A5 G5 D5 G5/2 B5/2 | A5/3 F#5 D5/2 A5/2 | "
      "G5 E5 C5 E5 G5/2 C6/2 | A5 F#5 D5 F#5 A5/2 D6/2 | B5/2 D6 B5 G5/2 D5/2 | F#5/2 E5/2 D5/2 A4/2 |";
  struct SChord {
    const char *low, *high, *fifth, *stab;
  };
  const SChord g{"G2", "G3", "D3", "B3+D4+G4"}, d{"D3", "D4", "A3", "A3+D4+F#4"}, em{"E2", "E3", "B2", "B3+E4+G4"},
      c{"C3", "C4", "G3", "C4+E4+G4"};
  const SChord progression[] = {g, d, em, c, g, d, c, d, em, c, g, d, c, d, g, d};
  std::string bass, stabs;
  for (const SChord& chord : progression) {
    bass += fBassBar(chord.low, chord.high, chord.fifth);
    stabs += fStabBar(chord.stab);
  }
  const std::string drums = fRepeat("k+h h k+s+h h k+h h k+s+h o~", 15) + "k+h s~ k+s+h s~ k+s s s! s! |";
  return {"bgml001.mp3",
          140,
          16,
          {{EVoice::Lead, melody, 0.30, 0.15, true, 0},
           {EVoice::Bell, melody, 0.10, -0.4, false, 12},
           {EVoice::Bass, bass, 0.42, 0.0, false, 0},
           {EVoice::Stab, stabs, 0.10, -0.25, false, 0},
           {EVoice::Drums, drums, 0.28, 0.0, false, 0}},
          0.75};
}

// Calm and warm, F major, 100 BPM, 12 bars (29 s): for the menus.
SPiece fCalmMusic() {
  const std::string melody =
      "A4/2 C5/2 F5/3 E5 | E5/2 D5/2 C5/4 | D5/2 F5/2 A5/3 G5 | F5/2 D5/2 Bb4/4 | "
      "C5/2 F5/2 A5/3 Bb5 | G5/2 E5/2 C5/4 | D5/2 F5 G5 Bb5/2 A5 G5 | G5/4 E5/4 | "
      "F5/3 E5 D5/2 A4/2 | Bb4/2 D5/2 F5/4 | A5/3 G5 F5/2 C5/2 | E5/2 G5/2 C5/4 |";
  const char* pads[] = {"A3+C4+F4", "G3+C4+E4", "A3+D4+F4", "Bb3+D4+F4", "A3+C4+F4", "G3+C4+E4",
                        "Bb3+D4+F4", "G3+C4+E4", "A3+D4+F4", "Bb3+D4+F4", "A3+C4+F4", "G3+C4+E4"};
  const char* roots[] = {"F2", "C3", "D3", "Bb2", "F2", "C3", "Bb2", "C3", "D3", "Bb2", "F2", "C3"};
  std::string pad, bass;
  for (int bar = 0; bar < 12; ++bar) {
    pad += std::string(pads[bar]) + "/8 | ";
    bass += std::string(roots[bar]) + "/3 " + roots[bar] + " r/2 " + roots[bar] + "/2 | ";
  }
  const std::string drums = fRepeat("k h~ h~ h~ s~ h~ h~ h~", 12);
  return {"bgml031.mp3",
          100,
          12,
          {{EVoice::Bell, melody, 0.45, 0.1, true, 12},
           {EVoice::Pad, pad, 0.09, -0.2, false, 0},
           {EVoice::Bass, bass, 0.38, 0.0, false, 0},
           {EVoice::Drums, drums, 0.18, 0.0, false, 0}},
          0.75};
}

}  // namespace

void fMakeMusic(CAssetWriter& out) {
  // The pieces are independent: render and encode them side by side to keep
  // the build quick. Each result depends only on its own piece.
  const std::vector<SPiece> pieces = {fCalmMusic(), fUpbeatMusic(), fStageMusic()};
  std::vector<std::future<std::vector<uint8_t>>> encoded;
  for (const SPiece& piece : pieces) {
    encoded.push_back(std::async(std::launch::async, [&piece] { return fEncodeMp3(fRenderPiece(piece), 128); }));
  }
  for (size_t i = 0; i < pieces.size(); ++i) out.fWrite(std::string("sound/") + pieces[i].file, encoded[i].get());
}
