#include "Score.h"

#include <cctype>
#include <charconv>
#include <stdexcept>
#include <string>

namespace {

std::invalid_argument fBadToken(std::string_view token, const char* why) {
  return std::invalid_argument("score: bad token \"" + std::string(token) + "\": " + why);
}

}  // namespace

int fParsePitch(std::string_view name) {
  if (name == "k") return kDrumKick;
  if (name == "s") return kDrumSnare;
  if (name == "h") return kDrumHat;
  if (name == "o") return kDrumOpenHat;
  static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') throw fBadToken(name, "unknown pitch");
  int semitone = kSemitone[name[0] - 'A'];
  size_t i = 1;
  if (name[i] == '#') {
    ++semitone;
    ++i;
  } else if (name[i] == 'b') {
    --semitone;
    ++i;
  }
  int octave = 0;
  const auto [end, error] = std::from_chars(name.data() + i, name.data() + name.size(), octave);
  if (error != std::errc() || end != name.data() + name.size() || octave < 0 || octave > 9) {
    throw fBadToken(name, "octave must be one digit");
  }
  return 12 * (octave + 1) + semitone;
}

STrack fParseTrack(std::string_view text, double unitBeats) {
  STrack track;
  std::vector<SNote>& notes = track.notes;
  std::vector<size_t> sounding;  // indices of the notes a "-" extends
  double time = 0.0;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    size_t end = pos;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    std::string_view token = text.substr(pos, end - pos);
    pos = end;
    if (token.empty() || token == "|") continue;

    double velocity = 0.8;
    if (token.back() == '!' || token.back() == '~') {
      velocity = token.back() == '!' ? 1.0 : 0.5;
      token.remove_suffix(1);
    }
    double units = 1.0;
    const size_t slash = token.find('/');
    std::string_view names = token.substr(0, slash);
    if (slash != std::string_view::npos) {
      const std::string_view count = token.substr(slash + 1);
      const auto [countEnd, error] = std::from_chars(count.data(), count.data() + count.size(), units);
      if (error != std::errc() || countEnd != count.data() + count.size() || units <= 0.0) {
        throw fBadToken(token, "length must be a positive number");
      }
    }
    const double length = units * unitBeats;
    if (names == "r") {
      sounding.clear();
    } else if (names == "-") {
      if (sounding.empty()) throw fBadToken(token, "nothing to hold");
      for (size_t index : sounding) notes[index].length += length;
    } else {
      sounding.clear();
      size_t start = 0;
      while (start <= names.size()) {
        size_t plus = names.find('+', start);
        if (plus == std::string_view::npos) plus = names.size();
        notes.push_back({time, length, fParsePitch(names.substr(start, plus - start)), velocity});
        sounding.push_back(notes.size() - 1);
        start = plus + 1;
      }
    }
    time += length;
  }
  track.beats = time;
  return track;
}

void CLoopBuffer::fApplyEcho(size_t delayFrames, float feedback, int taps, bool pingPong) {
  const size_t n = mLeft.size();
  if (n == 0 || delayFrames == 0) return;
  const std::vector<float> dryLeft = mLeft;
  const std::vector<float> dryRight = mRight;
  float gain = 1.0f;
  for (int tap = 1; tap <= taps; ++tap) {
    gain *= feedback;
    const size_t shift = (delayFrames * static_cast<size_t>(tap)) % n;
    // Ping-pong: odd taps swap sides, for a wide, friendly echo.
    const bool swap = pingPong && (tap % 2 == 1);
    for (size_t i = 0; i < n; ++i) {
      const size_t from = (i + n - shift) % n;
      mLeft[i] += gain * (swap ? dryRight[from] : dryLeft[from]);
      mRight[i] += gain * (swap ? dryLeft[from] : dryRight[from]);
    }
  }
}

std::vector<float> CLoopBuffer::fInterleaved() const {
  std::vector<float> out;
  out.reserve(mLeft.size() * 2);
  for (size_t i = 0; i < mLeft.size(); ++i) {
    out.push_back(mLeft[i]);
    out.push_back(mRight[i]);
  }
  return out;
}
