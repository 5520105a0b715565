// The game's rules for the browser's replay viewer: one replay opened from
// its unpacked members, scanned once (marks and a copy of the game every
// 1,024 frames), then stepped and jumped exactly as the replay theatre does,
// and read back for drawing. The page unzips; nothing here reads a file.
#include <emscripten/bind.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayGame.h"
#include "replay/ReplayScan.h"
#include "rules/CStageRules.h"
#include "rules/StageModes.h"
#include "text/LevelNumber.h"

namespace {

using namespace emscripten;

// Ints per ball in fBalls(): id, a, b, h, progress, colour, state, vanishCount, flags.
constexpr int kBallInts = 9;
enum EBallFlag : int { kHighlighted = 1, kDarkened = 2, kAlive = 4, kPiece = 8 };

val fAppairValue(const CStageRules::SAppairInfo& info) {
  val out = val::object();
  out.set("colour", info.colour);
  out.set("serial", info.serial);
  out.set("fromHold", info.fromHold);
  out.set("isEnd", info.isEnd);
  return out;
}

// The ZIP's CRC-32 of a member, checked here: the page hands over the
// inflated bytes (a key log is many megabytes). Eight bytes a step: table k
// gives the CRC of a byte followed by k zero bytes.
std::uint32_t fCrc32(const std::string& bytes) {
  using CTables = std::array<std::array<std::uint32_t, 256>, 8>;
  static const CTables tables = [] {
    CTables made{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
      made[0][n] = c;
    }
    for (std::uint32_t n = 0; n < 256; ++n) {
      for (std::size_t k = 1; k < 8; ++k) made[k][n] = (made[k - 1][n] >> 8) ^ made[0][made[k - 1][n] & 0xffu];
    }
    return made;
  }();
  const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  std::uint32_t crc = 0xffffffffu;
  for (; left >= 8; left -= 8, at += 8) {
    const std::uint32_t low = crc ^ (at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24));
    crc = tables[7][low & 0xffu] ^ tables[6][(low >> 8) & 0xffu] ^ tables[5][(low >> 16) & 0xffu] ^ tables[4][low >> 24] ^
          tables[3][at[4]] ^ tables[2][at[5]] ^ tables[1][at[6]] ^ tables[0][at[7]];
  }
  for (; left > 0; --left, ++at) crc = tables[0][(crc ^ *at) & 0xffu] ^ (crc >> 8);
  return crc ^ 0xffffffffu;
}

template <typename T>
val fArray(const std::vector<T>& values) {
  val out = val::array();
  for (std::size_t i = 0; i < values.size(); ++i) out.set(i, static_cast<double>(values[i]));
  return out;
}

}  // namespace

class CWebReplay {
 public:
  static constexpr long long kSnapshotEvery = 1024;

  // A member as the page inflated it, with the CRC its archive gives; a
  // mismatch makes the next fOpen fail.
  void fAddMember(const std::string& name, const std::string& bytes, double crc) {
    if (fCrc32(bytes) != static_cast<std::uint32_t>(crc)) mDamaged = name + " is damaged (its CRC does not match)";
    mMembers.push_back({name, bytes});
  }
  // The same without the binding's byte-by-byte copy of a large member: the
  // page asks for room, copies the bytes in at that address in one go
  // (HEAPU8.set), then adds them.
  double fStage(double size) {
    mStaged.assign(static_cast<std::size_t>(size), '\0');
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(mStaged.data()));
  }
  void fAddStaged(const std::string& name, double crc) {
    if (fCrc32(mStaged) != static_cast<std::uint32_t>(crc)) mDamaged = name + " is damaged (its CRC does not match)";
    mMembers.push_back({name, std::exchange(mStaged, {})});
  }

  // Checks and scans the members added; false with fError() set when the
  // archive cannot be played.
  bool fOpen(const std::string& label) {
    try {
      if (!mDamaged.empty()) throw std::runtime_error(label + ": " + std::exchange(mDamaged, {}));
      mReplay = std::make_unique<SCheckedReplay>(fCheckReplayMembers(std::move(mMembers), label));
      mMembers.clear();
      mSnapshots.clear();
      mMarks = fScanReplay(*mReplay, &mSnapshots, kSnapshotEvery);
      mRules = std::make_unique<CStageRules>(mSnapshots.front().rules);
      mKeys = std::make_unique<CRecordedKeys>(fReplayKeys(*mReplay));
      mKeys->fSetPosition(mSnapshots.front().keys);
      mFrame = 0;
      mEnd = mMarks.length;
      mConfirmed = false;
      return true;
    } catch (const std::exception& error) {
      mError = error.what();
    } catch (...) {
      mError = label + ": cannot be played";
    }
    mReplay.reset();
    return false;
  }
  std::string fError() const { return mError; }

  double fLength() const { return static_cast<double>(mMarks.length); }
  double fFrame() const { return static_cast<double>(mFrame); }
  // The last frame reached by playing: the whole key log, or the frame whose
  // keys confirmed the end once that has been seen.
  double fEnd() const { return static_cast<double>(mEnd); }
  bool fAtEnd() const { return mFrame >= mEnd; }
  bool fConfirmed() const { return mConfirmed; }
  int fMode() const { return mReplay ? mReplay->mode : -1; }
  std::string fModeName() const { return mReplay ? ::fModeName(mReplay->mode) : ""; }

  // One recorded frame: its keys, then the rest of the frame, as a check
  // plays it. Keys that confirm the end stop the replay there.
  bool fStep() {
    if (!mRules || mFrame >= mEnd) return false;
    ++mFrame;
    const bool playing = fPlayRecordedFrame(*mRules, *mKeys);
    mRules->fClearEvents();
    if (!playing) {
      mConfirmed = true;
      mEnd = mFrame;
    }
    return playing;
  }

  // The last snapshot at or before the frame, played on from there unless
  // the game already stands between it and the frame.
  void fJumpTo(double wanted) {
    if (!mRules) return;
    const long long target = std::clamp(static_cast<long long>(wanted), 0LL, mEnd);
    if (target == mFrame) return;
    const SStageSnapshot& from = fSnapshotAtOrBefore(mSnapshots, target);
    if (target < mFrame || from.frame > mFrame) {
      *mRules = from.rules;
      mKeys->fSetPosition(from.keys);
      mFrame = from.frame;
    }
    while (mFrame < target) {
      if (!fStep()) break;
    }
  }

  val fMarks() const {
    val out = val::object();
    out.set("length", static_cast<double>(mMarks.length));
    out.set("spawns", fArray(mMarks.spawns));
    std::vector<long long> chainFrames, chainCounts;
    for (const auto& chain : mMarks.chains) {
      chainFrames.push_back(chain.frame);
      chainCounts.push_back(chain.count);
    }
    out.set("chainFrames", fArray(chainFrames));
    out.set("chainCounts", fArray(chainCounts));
    out.set("levelUps", fArray(mMarks.levelUps));
    return out;
  }

  // Every ball in play, kBallInts each; a view into this object's memory,
  // valid until the next call.
  val fBalls() {
    mBallInts.clear();
    if (mRules) {
      const CStageRules& rules = *mRules;
      auto add = [&](int slot) {
        const SRuleBall& ball = rules.fBall(slot);
        const int flags = (ball.highlighted ? kHighlighted : 0) | (ball.darkened ? kDarkened : 0) |
                          (ball.alive ? kAlive : 0) | (slot == rules.piece ? kPiece : 0);
        mBallInts.insert(mBallInts.end(), {ball.id, ball.a, ball.b, ball.h, ball.progress, ball.colour,
                                           static_cast<int>(ball.state), ball.vanishCount, flags});
      };
      // The piece is listed too, from its spawn on.
      for (int slot : rules.balls) add(slot);
    }
    return val(typed_memory_view(mBallInts.size(), mBallInts.data()));
  }

  // The rest of what is drawn: the box, the ghost's cell, the panel.
  val fInfo() const {
    val out = val::object();
    if (!mRules) return out;
    const CStageRules& rules = *mRules;
    out.set("frame", static_cast<double>(mFrame));
    out.set("W", rules.W);
    out.set("D", rules.D);
    out.set("H", rules.H);
    out.set("score", rules.score);
    out.set("rensa", rules.rensa);
    out.set("maxRensa", rules.maxRensa);
    // Numbered as the game's HUD numbers it.
    out.set("level", fShownLevel(rules.level));
    out.set("dealt", rules.dealt);
    out.set("ballLimit", rules.ballLimit);
    out.set("cleared", rules.cleared);
    out.set("state", std::string(fRuleStateName(rules.state)));
    out.set("inPlay", rules.state == CStageRules::EState::Playing || rules.state == CStageRules::EState::Finishing);
    out.set("cameraAngle", rules.fCameraAngle());
    if (const SRuleBall* piece = rules.fPiece()) {
      val ghost = val::object();
      ghost.set("a", piece->a);
      ghost.set("b", piece->b);
      ghost.set("h", rules.fLandingLayer(piece->a, piece->b, piece->h));
      ghost.set("colour", piece->colour);
      out.set("ghost", ghost);
    } else {
      out.set("ghost", val::null());
    }
    val queue = val::array();
    for (std::size_t i = 0; i < rules.queue.size(); ++i) queue.set(i, fAppairValue(rules.queue[i]));
    out.set("queue", queue);
    out.set("hold", rules.hold.empty() ? val::null() : fAppairValue(rules.hold.front()));
    return out;
  }

 private:
  std::vector<SArchiveMember> mMembers;
  std::string mError;
  std::string mDamaged;  // why a member added since the last open is damaged
  std::string mStaged;   // a member the page is copying in
  std::unique_ptr<SCheckedReplay> mReplay;
  SReplayMarks mMarks;
  std::vector<SStageSnapshot> mSnapshots;
  std::unique_ptr<CStageRules> mRules;
  std::unique_ptr<CRecordedKeys> mKeys;
  long long mFrame = 0;
  long long mEnd = 0;
  bool mConfirmed = false;
  std::vector<int> mBallInts;
};

EMSCRIPTEN_BINDINGS(plimo_rules) {
  class_<CWebReplay>("Replay")
      .constructor<>()
      .function("addMember", &CWebReplay::fAddMember)
      .function("stage", &CWebReplay::fStage)
      .function("addStaged", &CWebReplay::fAddStaged)
      .function("open", &CWebReplay::fOpen)
      .function("error", &CWebReplay::fError)
      .function("length", &CWebReplay::fLength)
      .function("frame", &CWebReplay::fFrame)
      .function("end", &CWebReplay::fEnd)
      .function("atEnd", &CWebReplay::fAtEnd)
      .function("confirmed", &CWebReplay::fConfirmed)
      .function("mode", &CWebReplay::fMode)
      .function("modeName", &CWebReplay::fModeName)
      .function("step", &CWebReplay::fStep)
      .function("jumpTo", &CWebReplay::fJumpTo)
      .function("marks", &CWebReplay::fMarks)
      .function("balls", &CWebReplay::fBalls)
      .function("info", &CWebReplay::fInfo);
  constant("BALL_INTS", kBallInts);
}
