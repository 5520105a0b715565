// The game's rules for the browser's replay viewer: one replay opened from
// its unpacked members, scanned once (marks and a copy of the game every
// 1,024 frames), then stepped and jumped exactly as the replay theatre does,
// and read back for drawing. The page unzips; nothing here reads a file.
#include <emscripten/bind.h>

#include <algorithm>
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
// inflated bytes, and this is several times faster than doing it in script.
std::uint32_t fCrc32(const std::string& bytes) {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> made(256);
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
      made[n] = c;
    }
    return made;
  }();
  std::uint32_t crc = 0xffffffffu;
  for (const char byte : bytes) crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xffu] ^ (crc >> 8);
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
    mKeys->fReadFrame();
    ++mFrame;
    if (mRules->fInput(*mKeys)) {
      mConfirmed = true;
      mEnd = mFrame;
      mRules->fClearEvents();
      return false;
    }
    mRules->fAnimate();
    mRules->fClearEvents();
    return true;
  }

  // The last snapshot at or before the frame, played on from there unless
  // the game already stands between it and the frame.
  void fJumpTo(double wanted) {
    if (!mRules) return;
    const long long target = std::clamp(static_cast<long long>(wanted), 0LL, mEnd);
    if (target == mFrame) return;
    const auto after = std::upper_bound(mSnapshots.begin(), mSnapshots.end(), target,
                                        [](long long at, const SStageSnapshot& shot) { return at < shot.frame; });
    const SStageSnapshot& from = *(after - 1);
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
      for (int slot : rules.balls) add(slot);
      if (rules.piece != CStageRules::kNoBall &&
          std::find(rules.balls.begin(), rules.balls.end(), rules.piece) == rules.balls.end()) {
        add(rules.piece);
      }
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
    out.set("level", rules.level);
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
