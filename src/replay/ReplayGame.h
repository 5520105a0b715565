// The game of a checked replay, built as the replay's stage builds it: the
// rules of its mode with a generator seeded from the archive (quietly, as
// checks may run many at once), and its key log to read.
#pragma once

#include "replay/CRecordedKeys.h"
#include "replay/ReplayArchiveCheck.h"
#include "rules/CStageRules.h"

CStageRules fReplayRules(const SCheckedReplay& replay);
// Recorded keys reading the replay's log, which must outlive them.
CRecordedKeys fReplayKeys(const SCheckedReplay& replay);
// One recorded frame as every replay plays it: its keys, then (unless they
// confirmed the end) the rest of the frame. False when the keys confirmed
// the end. The events stay for the caller to read and clear.
bool fPlayRecordedFrame(CStageRules& rules, CRecordedKeys& keys);
