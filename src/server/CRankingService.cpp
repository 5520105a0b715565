#include "server/CRankingService.h"

#include "online/SRankingData.h"
#include "server/DailyBoard.h"
#include "server/RankingRequest.h"
#include "server/Sha256.h"
#include "server/ZipDirectory.h"
#include "util/Assert.h"

namespace {

SServiceAnswer fRefuse(const std::string& reason) { return SServiceAnswer{200, "UploadFailed?" + reason}; }

SServiceAnswer fBadRequest() { return SServiceAnswer{400, "bad request\n"}; }

// Two list builds at once at most: the three modes share them.
constexpr int kStoreThreads = 2;
// A store check that takes longer than this makes the server unhealthy
// before it ends.
constexpr auto kSlowCheck = std::chrono::milliseconds(1000);
// How long after its last request a mode's list is still rebuilt unasked
// when the store changes; after that, at its next request.
constexpr auto kKeptFreshFor = std::chrono::minutes(1);
// The longest a watch waits before it looks whether the service stops.
constexpr std::chrono::milliseconds kWatchSlice{100};
// The rows of each order the cache holds: the first pages of the web site.
constexpr std::size_t kCachedRows = 1000;
// Daily boards kept at once: today's three and a few days looked at.
constexpr std::size_t kCachedDays = 24;
constexpr std::time_t kDaySeconds = 24 * 60 * 60;

int fModeIndex(const std::string& mode) {
  for (int index = 0; index < kModeCount; ++index) {
    if (mode == fModeName(index)) return index;
  }
  PLIMO_ASSERT(false, "the script's mode is one of the three");
  return 0;
}

}  // namespace

CRankingService::CRankingService(IRankingStore& store, IReplayVerifier& verifier, std::function<std::time_t()> clock,
                                 std::chrono::milliseconds listMaxAge, std::size_t listLimit,
                                 std::chrono::milliseconds healthInterval)
    : mStore(store),
      mVerifier(verifier),
      mClock(std::move(clock)),
      mListMaxAge(listMaxAge),
      mListLimit(listLimit),
      mHealthInterval(healthInterval) {
  if (!mClock) mClock = [] { return std::time(nullptr); };
  // The first check before the first request, so health is known at once.
  fCheckStore();
  for (int i = 0; i < kStoreThreads; ++i) mStoreThreads.emplace_back([this] { fStoreThread(); });
  mMonitor = std::thread([this] { fMonitorThread(); });
  mWatcher = std::thread([this] { fWatchThread(); });
}

CRankingService::~CRankingService() {
  {
    std::lock_guard lock(mWorkMutex);
    mStopping = true;
  }
  mWorkChanged.notify_all();
  mStopChanged.notify_all();
  mMonitor.join();
  mWatcher.join();
  for (std::thread& thread : mStoreThreads) thread.join();
}

SServiceAnswer CRankingService::fHandle(const std::string& mode, const std::vector<std::string>& arguments,
                                        const std::string& body) {
  if (arguments.empty()) return fBadRequest();
  const std::string& request = arguments.front();
  if (request == "GetRankingList") {
    // The client ends the request with "?": one empty argument may follow.
    if (arguments.size() > 2 || (arguments.size() == 2 && !arguments[1].empty())) return fBadRequest();
    return fList(mode);
  }
  if (request == "UploadRanking") return fUpload(mode, arguments, body);
  if (request == "DownloadReplay") {
    if (arguments.size() != 2) return fBadRequest();
    return fDownload(mode, arguments[1]);
  }
  if (request == "GetDaily") {
    if (arguments.size() > 2 || (arguments.size() == 2 && !arguments[1].empty())) return fBadRequest();
    return fGetDaily();
  }
  if (request == "GetDailyList") {
    if (arguments.size() != 2) return fBadRequest();
    return fDailyList(mode, arguments[1]);
  }
  if (request == "UploadDaily") return fUploadDaily(mode, arguments, body);
  if (request == "DownloadDaily") {
    if (arguments.size() != 3) return fBadRequest();
    return fDownloadDaily(mode, arguments[1], arguments[2]);
  }
  return fBadRequest();
}

SRankingSnapshot CRankingService::fBuildRanking(const std::string& mode) const {
  // What is shown most: the game's list and the first pages of each order,
  // read through the orders' indexes. Never the whole mode.
  SRankingSnapshot snapshot;
  snapshot.total = mStore.fCount(mode);
  snapshot.entries = mStore.fRows(mode, ERankingSort::Score, 0, std::max(mListLimit, kCachedRows));
  snapshot.chainTop = mStore.fRows(mode, ERankingSort::Chain, 0, kCachedRows);
  for (std::size_t i = 0; i < snapshot.entries.size() && i < mListLimit; ++i) {
    const SRankingEntry& entry = snapshot.entries[i];
    snapshot.listBody += entry.name + "?" + std::to_string(entry.score) + "?" + std::to_string(entry.maxRensa) + "?" +
                         entry.replayKey + "?" + entry.date + "\n";
  }
  return snapshot;
}

std::shared_ptr<const SRankingSnapshot> CRankingService::fBuildNow(int mode) {
  SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
  unsigned long long number;
  {
    std::lock_guard lock(mListMutex);
    number = ++mBuilds;
  }
  const Clock::time_point asked = Clock::now();
  auto ranking = std::make_shared<const SRankingSnapshot>(fBuildRanking(fModeName(mode)));
  std::lock_guard lock(mListMutex);
  // A build that started later may have ended first: it saw more.
  if (number > cached.buildNumber) {
    cached.ranking = ranking;
    cached.built = asked;
    cached.buildNumber = number;
    // Changes after the build started mark it stale again.
    if (cached.changedAt <= asked) cached.stale = false;
    fStartMarks(mode);
  }
  return cached.ranking;
}

void CRankingService::fWantMarks(const std::string& mode) {
  const int index = fModeIndex(mode);
  std::lock_guard lock(mListMutex);
  SCachedList& cached = mLists[static_cast<std::size_t>(index)];
  if (cached.marksWanted) return;
  cached.marksWanted = true;
  fStartMarks(index);
}

void CRankingService::fStartMarks(int mode) {
  SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
  if (!cached.marksWanted || cached.marking || !cached.ranking || cached.ranking->total < 2 * kMarkSpacing) return;
  cached.marking = true;
  fQueue([this, mode] {
    std::shared_ptr<const SRankingSnapshot> base;
    {
      std::lock_guard lock(mListMutex);
      base = mLists[static_cast<std::size_t>(mode)].ranking;
    }
    auto marked = std::make_shared<SRankingSnapshot>(*base);
    try {
      marked->scoreMarks = fReadMarks(mStore, fModeName(mode), ERankingSort::Score);
      marked->chainMarks = fReadMarks(mStore, fModeName(mode), ERankingSort::Chain);
    } catch (const CGameError&) {
      marked.reset();  // pages are counted from the nearer end until the next build
    }
    std::lock_guard lock(mListMutex);
    SCachedList& list = mLists[static_cast<std::size_t>(mode)];
    list.marking = false;
    if (list.ranking == base) {
      if (marked) list.ranking = std::move(marked);
    } else {
      fStartMarks(mode);  // a later build came meanwhile
    }
  });
}

void CRankingService::fQueue(std::function<void()> work) {
  {
    std::lock_guard lock(mWorkMutex);
    mWork.push_back(std::move(work));
  }
  mWorkChanged.notify_one();
}

void CRankingService::fStartBuild(int mode) {
  SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
  if (cached.building) return;
  cached.building = true;
  fQueue([this, mode] {
    try {
      fBuildNow(mode);
    } catch (const CGameError&) {
      // The cached ranking stays; the next due build tries again.
    }
    std::vector<std::function<void()>> waiting;
    {
      std::lock_guard lock(mListMutex);
      SCachedList& list = mLists[static_cast<std::size_t>(mode)];
      list.building = false;
      waiting.swap(list.waiting);
    }
    for (auto& built : waiting) built();
  });
}

std::shared_ptr<const SRankingSnapshot> CRankingService::fCachedRanking(const std::string& mode,
                                                                        std::function<void()> built) {
  const int index = fModeIndex(mode);
  SCachedList& cached = mLists[static_cast<std::size_t>(index)];
  const Clock::time_point now = Clock::now();
  std::lock_guard lock(mListMutex);
  cached.asked = now;
  if (cached.ranking) {
    // The store changed since the build: the kept ranking is answered while
    // the new one is built.
    if (cached.stale) fStartBuild(index);
    return cached.ranking;
  }
  if (built) {
    cached.waiting.push_back(std::move(built));
    fStartBuild(index);
  }
  return nullptr;
}

std::shared_ptr<const SRankingSnapshot> CRankingService::fRanking(const std::string& mode) {
  if (auto ranking = fCachedRanking(mode, {})) return ranking;
  return fBuildNow(fModeIndex(mode));
}

std::shared_ptr<const std::string> CRankingService::fListBody(const std::string& mode) {
  auto ranking = fRanking(mode);
  return std::shared_ptr<const std::string>(ranking, &ranking->listBody);
}

SServiceAnswer CRankingService::fList(const std::string& mode) { return SServiceAnswer{200, *fListBody(mode)}; }

std::variant<SServiceAnswer, CRankingService::SCheckedUpload> CRankingService::fCheckUpload(
    const std::string& mode, const std::string& name, const std::string& scoreText, const std::string& maxRensaText,
    const std::string& body, const FPreCheck& preCheck) {
  if (!fIsValidRankingName(name)) return fRefuse("bad name");
  const auto score = fParseCount(scoreText);
  const auto maxRensa = fParseCount(maxRensaText);
  if (!score || !maxRensa) return fRefuse("bad score");
  if (body.empty()) return fRefuse("no replay");
  if (body.size() > kMaxArchiveBytes) return fRefuse("replay too large");
  if (mNaming) return fRefuse("server busy, try again later");

  // Cheap refusals first: a check plays a whole game.
  const std::string hash = fSha256Hex(body);
  if (mStore.fHasArchive(hash)) return fRefuse("replay already registered");
  const int modeIndex = fModeIndex(mode);
  // The directory only: the members are inflated in a worker.
  if (!fLooksLikeReplayOfMode(body, modeIndex)) return fRefuse("not a replay of this mode");
  if (preCheck) {
    if (auto refusal = preCheck(name, *score)) return fRefuse(*refusal);
  }

  const SVerifyOutcome outcome = mVerifier.fVerify(body);
  if (outcome.kind == SVerifyOutcome::EKind::Stopped) return fRefuse("server stopping");
  if (outcome.kind == SVerifyOutcome::EKind::Unplayable) return fRefuse("replay cannot be played");
  if (outcome.kind == SVerifyOutcome::EKind::Failed) return fRefuse("replay check failed");
  const SReplayCheckResult& result = outcome.result;
  if (result.mode != mode) return fRefuse("not a replay of this mode");
  if (!result.confirmed) return fRefuse("game not finished");
  if (result.score != *score || result.maxRensa != *maxRensa) return fRefuse("score does not match replay");

  SCheckedUpload checked;
  SNewRankingEntry& entry = checked.entry;
  entry.mode = mode;
  entry.name = name;
  entry.score = *score;
  entry.maxRensa = *maxRensa;
  entry.date = fFormatUtcDate(mClock());
  entry.archiveHash = hash;
  entry.archive = body;
  // The game, not the archive: a re-packed copy of a registered game breaks
  // the store's unique constraint on it.
  entry.gameId = result.gameId;
  // A copy changed near its end shares the original's opening.
  entry.openingId = result.openingId;
  checked.result = result;
  return checked;
}

SServiceAnswer CRankingService::fCopyRefusal(const SCheckedUpload& upload) const {
  SServiceAnswer refused = fRefuse("replay already registered");
  if (const auto original = mStore.fFindGame(upload.result.gameId, upload.result.openingId)) {
    refused.note = "copies entry " + std::to_string(original->id) + " (" + original->mode + " " + original->replayKey +
                   " by " + original->name + ")";
  }
  return refused;
}

SServiceAnswer CRankingService::fUpload(const std::string& mode, const std::vector<std::string>& arguments,
                                        const std::string& body) {
  if (arguments.size() != 4) return fRefuse("bad request");
  auto checked = fCheckUpload(mode, arguments[1], arguments[2], arguments[3], body, {});
  if (auto* refusal = std::get_if<SServiceAnswer>(&checked)) return std::move(*refusal);
  const SCheckedUpload& upload = std::get<SCheckedUpload>(checked);
  const int modeIndex = fModeIndex(mode);
  // Only a committed entry is answered as a success.
  const auto added = mStore.fAdd(upload.entry);
  if (!added) return fCopyRefusal(upload);
  // The uploader's next list holds the new entry. Should the store fail
  // just now, the list is due at once and the entry stands all the same.
  try {
    fBuildNow(modeIndex);
  } catch (const CGameError&) {
    std::lock_guard lock(mListMutex);
    mLists[static_cast<std::size_t>(modeIndex)].stale = true;
  }
  return SServiceAnswer{200, "UploadSuccess?" + std::to_string(added->rank)};
}

std::string CRankingService::fTodayName() const { return fDayOf(mClock()); }

SDailyToday CRankingService::fToday() {
  const std::time_t now = mClock();
  const std::string day = fDayOf(now);
  const long long left = static_cast<long long>(*fDayStart(day) + kDaySeconds - now);
  {
    std::lock_guard lock(mDailyMutex);
    if (mToday && mToday->day == day) {
      SDailyToday today = *mToday;
      today.secondsLeft = left;
      return today;
    }
  }
  // The first request of the day here: whichever process stores a seed
  // first, every process serves that one.
  SDailyToday today;
  today.day = day;
  today.secondsLeft = left;
  for (int mode = 0; mode < kModeCount; ++mode) {
    today.seeds[static_cast<std::size_t>(mode)] = mStore.fKeepDailySeed(day, fModeName(mode), fDrawDailySeed());
  }
  std::lock_guard lock(mDailyMutex);
  mToday = today;
  for (int mode = 0; mode < kModeCount; ++mode) {
    mSeeds[fDailyBoard(fModeName(mode), day)] = today.seeds[static_cast<std::size_t>(mode)];
  }
  return today;
}

std::optional<std::int32_t> CRankingService::fSeedOf(const std::string& mode, const std::string& day) {
  const std::string board = fDailyBoard(mode, day);
  {
    std::lock_guard lock(mDailyMutex);
    if (const auto known = mSeeds.find(board); known != mSeeds.end()) return known->second;
  }
  const auto seed = mStore.fDailySeed(day, mode);
  // A seed once stored never changes; a missing one may come (today's).
  if (seed) {
    std::lock_guard lock(mDailyMutex);
    mSeeds[board] = *seed;
  }
  return seed;
}

std::shared_ptr<const SRankingSnapshot> CRankingService::fDailyRanking(const std::string& mode, const std::string& day) {
  const std::string board = fDailyBoard(mode, day);
  unsigned long long changes;
  {
    std::lock_guard lock(mDailyMutex);
    changes = mStoreChanges;
    const auto kept = mDays.find(board);
    if (kept != mDays.end()) {
      kept->second.asked = Clock::now();
      if (kept->second.changes == changes) return kept->second.ranking;
    }
  }
  auto ranking = std::make_shared<const SRankingSnapshot>(fBuildRanking(board));
  std::lock_guard lock(mDailyMutex);
  SCachedDay& cached = mDays[board];
  // A build that started after a later change saw more: it stays.
  if (!cached.ranking || changes >= cached.changes) {
    cached.ranking = ranking;
    cached.changes = changes;
  }
  cached.asked = Clock::now();
  if (mDays.size() > kCachedDays) {
    auto oldest = mDays.begin();
    for (auto day = mDays.begin(); day != mDays.end(); ++day) {
      if (day->second.asked < oldest->second.asked) oldest = day;
    }
    mDays.erase(oldest);
  }
  return ranking;
}

SServiceAnswer CRankingService::fGetDaily() {
  const SDailyToday today = fToday();
  std::string body = today.day;
  for (const std::int32_t seed : today.seeds) body += "?" + std::to_string(seed);
  return SServiceAnswer{200, body + "?" + std::to_string(today.secondsLeft) + "\n"};
}

SServiceAnswer CRankingService::fDailyList(const std::string& mode, const std::string& day) {
  // A bad day, or one still to come, has no list.
  if (!fDayStart(day) || day > fTodayName()) return SServiceAnswer{200, ""};
  return SServiceAnswer{200, fDailyRanking(mode, day)->listBody};
}

SServiceAnswer CRankingService::fUploadDaily(const std::string& mode, const std::vector<std::string>& arguments,
                                             const std::string& body) {
  if (arguments.size() != 5) return fRefuse("bad request");
  const std::string& day = arguments[4];
  const auto start = fDayStart(day);
  if (!start) return fRefuse("bad date");
  const std::time_t now = mClock();
  if (now > *start + kDaySeconds + kDailyGraceSeconds) return fRefuse("day is over");
  // A day still to come has no seed yet.
  const auto seed = *start <= now ? fSeedOf(mode, day) : std::nullopt;
  if (!seed) return fRefuse("wrong seed");
  const std::string board = fDailyBoard(mode, day);
  const std::string notBetter = "not better than your best today";
  auto checked = fCheckUpload(mode, arguments[1], arguments[2], arguments[3], body,
                              [&](const std::string& name, int score) -> std::optional<std::string> {
                                const auto best = mStore.fByName(board, name, 1);
                                if (!best.empty() && best.front().entry.score >= score) return notBetter;
                                return std::nullopt;
                              });
  if (auto* refusal = std::get_if<SServiceAnswer>(&checked)) return std::move(*refusal);
  SCheckedUpload& upload = std::get<SCheckedUpload>(checked);
  if (upload.result.seed != *seed) {
    SServiceAnswer refused = fRefuse("wrong seed");
    refused.note = "seed " + std::to_string(upload.result.seed) + ", the day's " + std::to_string(*seed);
    return refused;
  }
  upload.entry.mode = board;
  // The name's best is looked at again as the entry is stored: another
  // upload of the name may have come meanwhile, on any process.
  const SBestAdded added = mStore.fAddBest(upload.entry, "replaced by a better game of the day");
  if (added.outcome == SBestAdded::EOutcome::NotBetter) return fRefuse(notBetter);
  if (added.outcome == SBestAdded::EOutcome::Copy) return fCopyRefusal(upload);
  {
    std::lock_guard lock(mDailyMutex);
    ++mStoreChanges;
  }
  return SServiceAnswer{200, "UploadSuccess?" + std::to_string(added.added.rank)};
}

SServiceAnswer CRankingService::fDownloadDaily(const std::string& mode, const std::string& day,
                                               const std::string& replayKey) const {
  if (!fDayStart(day)) return SServiceAnswer{404, "no such replay\n"};
  return fDownload(fDailyBoard(mode, day), replayKey);
}

SServiceAnswer CRankingService::fDownload(const std::string& mode, const std::string& replayKey) const {
  auto archive = mStore.fArchive(mode, replayKey);
  if (!archive) return SServiceAnswer{404, "no such replay\n"};
  return SServiceAnswer{200, std::move(*archive), "application/zip"};
}

std::vector<std::pair<std::string, double>> CRankingService::fCacheAges() const {
  std::vector<std::pair<std::string, double>> ages;
  const Clock::time_point now = Clock::now();
  std::lock_guard lock(mListMutex);
  for (int mode = 0; mode < kModeCount; ++mode) {
    const SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
    if (!cached.ranking) continue;
    ages.emplace_back("mode=\"" + std::string(fModeName(mode)) + "\"",
                      std::chrono::duration<double>(now - cached.built).count());
  }
  return ages;
}

SServiceAnswer CRankingService::fHealth() const {
  std::lock_guard lock(mHealthMutex);
  if (mHealth.checking && Clock::now() - mHealth.started > kSlowCheck) {
    return SServiceAnswer{503, "store too slow: no answer to the check for over " +
                                   std::to_string(kSlowCheck.count()) + " ms\n"};
  }
  if (!mHealth.ok) return SServiceAnswer{503, "store unavailable: " + mHealth.problem + "\n"};
  return SServiceAnswer{200, "ok\n"};
}

void CRankingService::fBeginStop() { mVerifier.fRefuseQueued(); }

void CRankingService::fAbortChecks() { mVerifier.fAbortRunning(); }

void CRankingService::fCheckStore() {
  {
    std::lock_guard lock(mHealthMutex);
    mHealth.checking = true;
    mHealth.started = Clock::now();
  }
  std::string problem;
  try {
    mStore.fPing();
  } catch (const CGameError& error) {
    problem = error.what();
  }
  std::lock_guard lock(mHealthMutex);
  mHealth.checking = false;
  mHealth.ok = problem.empty();
  mHealth.problem = problem;
}

void CRankingService::fStoreThread() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock lock(mWorkMutex);
      mWorkChanged.wait(lock, [this] { return mStopping || !mWork.empty(); });
      if (mWork.empty()) return;  // stopping, and nothing left
      work = std::move(mWork.front());
      mWork.pop_front();
    }
    work();
  }
}

void CRankingService::fMonitorThread() {
  for (;;) {
    {
      std::unique_lock lock(mWorkMutex);
      if (mStopChanged.wait_for(lock, mHealthInterval, [this] { return mStopping; })) return;
    }
    fCheckStore();
    // A build that failed (the store was away) is tried again.
    std::lock_guard lock(mListMutex);
    for (int mode = 0; mode < kModeCount; ++mode) {
      const SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
      if (cached.ranking && cached.stale && Clock::now() - cached.asked < kKeptFreshFor) fStartBuild(mode);
    }
  }
}

void CRankingService::fWatchThread() {
  std::unique_ptr<IStoreWatch> watch;
  for (;;) {
    {
      std::lock_guard lock(mWorkMutex);
      if (mStopping) return;
    }
    bool changed = true;
    try {
      if (!watch) watch = mStore.fWatch();
      // Short waits, so that a stop is seen soon.
      changed = watch->fWait(std::min<std::chrono::milliseconds>(mListMaxAge / 4, kWatchSlice));
    } catch (const CGameError&) {
      // No watch now: as if changed, and a new one after a pause.
      watch.reset();
      std::unique_lock lock(mWorkMutex);
      if (mStopChanged.wait_for(lock, std::min<std::chrono::milliseconds>(mListMaxAge, kWatchSlice * 10),
                                [this] { return mStopping; })) {
        return;
      }
    }
    if (!changed) continue;
    {
      // The daily boards are built again at their next request.
      std::lock_guard lock(mDailyMutex);
      ++mStoreChanges;
    }
    // Some process changed the store: lists asked for lately are built
    // again now, the others at their next request.
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mListMutex);
    for (int mode = 0; mode < kModeCount; ++mode) {
      SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
      if (!cached.ranking) continue;
      cached.stale = true;
      cached.changedAt = now;
      if (now - cached.asked < kKeptFreshFor) fStartBuild(mode);
    }
  }
}
