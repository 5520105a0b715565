#include "replay/PlayRecord.h"

#include <algorithm>

#include "replay/KeyLog.h"
#include "util/Sha256.h"

namespace {

constexpr char kPlaced = 'P';
constexpr char kHeld = 'H';
constexpr std::size_t kPlacedBytes = 5;  // the mark, colour, a, b, h

std::string fNamed(const char* kind, const std::string& mode, std::int32_t seed, const std::string& record) {
  unsigned char seedBytes[4];
  fPutInt32LE(seed, seedBytes);
  return fSha256Hex(std::string(kind) + "\n" + mode + "\n" + std::string(reinterpret_cast<const char*>(seedBytes), 4) +
                    record);
}

}  // namespace

void CPlayRecord::fFeed(const CRuleEvents& events) {
  for (const SRuleEvent& event : events) {
    if (event.kind == ERuleEvent::Held) {
      // A hold changes the pieces that follow: part of the play.
      mPlay += kHeld;
    } else if (event.kind == ERuleEvent::PieceLocked) {
      // Colours and cells fit a byte each in every mode's box.
      const char placed[kPlacedBytes] = {kPlaced, static_cast<char>(event.colour), static_cast<char>(event.a),
                                         static_cast<char>(event.b), static_cast<char>(event.h)};
      mPlay.append(placed, kPlacedBytes);
      if (++mPlacements == kOpeningPlacements) mOpening = mPlay;
    } else {
      continue;
    }
    if (mPlacements < kOpeningPlacements) mOpening = mPlay;
  }
}

std::string fGameId(const std::string& mode, std::int32_t seed, const std::string& play) {
  return fNamed("plimo play", mode, seed, play);
}

std::string fOpeningId(const std::string& mode, std::int32_t seed, const std::string& opening) {
  return fNamed("plimo opening", mode, seed, opening);
}

int fSharedPlacements(const std::string& play, const std::string& other) {
  const std::size_t same =
      static_cast<std::size_t>(std::mismatch(play.begin(), play.end(), other.begin(), other.end()).first - play.begin());
  // Whole placements before the first difference.
  int shared = 0;
  for (std::size_t at = 0; at < same;) {
    if (play[at] == kHeld) {
      ++at;
      continue;
    }
    if (same - at < kPlacedBytes) break;
    at += kPlacedBytes;
    ++shared;
  }
  return shared;
}
