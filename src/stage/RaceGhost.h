// Racing a ghost: another game of the same seed, played back from its
// replay by the rules alone beside the player's own, one recorded frame for
// every frame the player's stage plays (none while it is paused). It has no
// scene, no models and no files: a plain rules value and its key log in
// memory, drawn as a small box with its score, chain and level.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "replay/CRecordedKeys.h"
#include "replay/ReplayArchiveCheck.h"
#include "rules/CStageRules.h"

class CRaceGhost {
 public:
  // The archive was checked whole before.
  explicit CRaceGhost(std::shared_ptr<const SCheckedReplay> replay);
  ~CRaceGhost();
  CRaceGhost(const CRaceGhost&) = delete;
  CRaceGhost& operator=(const CRaceGhost&) = delete;

  // One frame in lockstep with the player's stage, called from its fAnimate:
  // the frame the stage is built in animates the ghost's game once, as a
  // replay's stage does; every later one plays one recorded frame. A ghost
  // whose log ended, or whose end was confirmed, stands still.
  void fFrame();

  const CStageRules& fRules() const { return mRules; }
  // Frames the ghost has played since it was built (its build frame included).
  long long fFrames() const { return mFrames; }
  bool fIsFinished() const {
    return mRules.state == CStageRules::EState::GameOver || mRules.state == CStageRules::EState::StageClear;
  }
  // The player's score less the ghost's.
  int fLead(int playerScore) const { return playerScore - mRules.score; }
  // The lead as it stood on the frame the player's game ended, kept once:
  // set, it tells the end screen to show who is ahead.
  void fNotePlayerEnd(int playerScore) {
    if (!mEndLead) mEndLead = fLead(playerScore);
  }
  std::optional<int> fEndLead() const { return mEndLead; }

  // The ghost's box and its figures, in the strip left of the player's box,
  // under the map of the columns: a few calls (one a ball).
  void fDraw(int playerScore, bool ballSymbols) const;

 private:
  std::shared_ptr<const SCheckedReplay> mReplay;
  CStageRules mRules;
  CRecordedKeys mKeys;
  long long mFrames = 0;
  bool mStopped = false;
  std::optional<int> mEndLead;
  // The strip's small font, with the Japanese letters: made at the first draw.
  mutable int mFont = -1;
};

// The whole check of an archive to race, before anything starts: sound, a
// replay of a known mode. Throws CGameError saying what is wrong.
std::shared_ptr<const SCheckedReplay> fCheckRaceArchive(const std::string& path);

// The line the end screen shows: who is ahead and by how much. Drawn with
// the lead as it stands, so it says what the ghost's box says while the
// ghost plays on after the player's end.
std::string fRaceEndLine(int lead);
// That line on a dark band over the field, above the end picture.
void fDrawRaceEndLine(int lead);
