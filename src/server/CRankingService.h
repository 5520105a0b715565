// What the ranking scripts answer, apart from HTTP: the list, the upload
// (checked by replaying the archive with the game's own rules) and the
// replay download.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"
#include "server/RankingPaging.h"
#include "rules/StageModes.h"

struct SServiceAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=utf-8";
  // For the request log only: what the answer alone does not say.
  std::string note{};
};

// The daily challenge's day as served now: its seeds and its time left.
struct SDailyToday {
  std::string day;  // "YYYY-MM-DD", UTC
  std::array<std::int32_t, kModeCount> seeds{};
  long long secondsLeft = 0;  // until the day's end (UTC midnight)
};

class CRankingService {
 public:
  static constexpr std::size_t kMaxArchiveBytes = 4u * 1024 * 1024;

  // clock gives the registration time; tests pass a fixed one. A list
  // answer (with the first pages of the web site) is built on the
  // service's own store threads and kept: it is built again when an upload
  // is accepted here, and when the store tells of a change by any process
  // (other server processes may share the store); listMaxAge bounds how
  // long that takes, and nothing is read while nothing changes.
  // The game's list answer holds at most the mode's top listLimit entries.
  // The store is checked every healthInterval, on a thread of its own.
  CRankingService(IRankingStore& store, IReplayVerifier& verifier, std::function<std::time_t()> clock = {},
                  std::chrono::milliseconds listMaxAge = std::chrono::milliseconds(1000),
                  std::size_t listLimit = 1000,
                  std::chrono::milliseconds healthInterval = std::chrono::milliseconds(500));
  // Waits for the store work in hand (each call is bounded by the store's
  // timeouts).
  ~CRankingService();
  CRankingService(const CRankingService&) = delete;
  CRankingService& operator=(const CRankingService&) = delete;

  // One request to ranking_<mode>.cgi with its decoded arguments.
  SServiceAnswer fHandle(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);

  // Never waits: the mode's cached ranking, however old (a due rebuild is
  // started in the background). Nothing before the mode's first build has
  // ended; then `built` runs, on a store thread, once a build attempt ends.
  std::shared_ptr<const SRankingSnapshot> fCachedRanking(const std::string& mode, std::function<void()> built);
  // The mode's ranking as cached for the list answer, like fCachedRanking,
  // but the first one is built on the caller's thread (throws CGameError
  // when the store fails then). The web pages read it so that they cost
  // the store no more than the game's lists do.
  std::shared_ptr<const SRankingSnapshot> fRanking(const std::string& mode);
  // A page far down the mode was asked for by its number: from now on each
  // build of the mode is followed by reading its marks (in the background),
  // so that such pages are read from the nearest mark.
  void fWantMarks(const std::string& mode);
  // The list answer's body, shared: a list request copies nothing.
  std::shared_ptr<const std::string> fListBody(const std::string& mode);
  SServiceAnswer fList(const std::string& mode);
  SServiceAnswer fUpload(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);
  SServiceAnswer fDownload(const std::string& mode, const std::string& replayKey) const;
  // ---- the daily challenge ----
  // Today's seeds, drawn and stored (insert-if-absent) at the first request
  // of a day, then kept here for the day. Throws CGameError when the store
  // fails.
  SDailyToday fToday();
  // The day of the service's clock.
  std::string fTodayName() const;
  // A mode's board of a day (today or earlier), as the list cache keeps a
  // mode's: its top rows and count, never the whole day. Kept for a few
  // days at once, built again on the caller's thread after any change to
  // the store. Throws CGameError when the store fails.
  std::shared_ptr<const SRankingSnapshot> fDailyRanking(const std::string& mode, const std::string& day);
  SServiceAnswer fGetDaily();
  SServiceAnswer fDailyList(const std::string& mode, const std::string& day);
  SServiceAnswer fUploadDaily(const std::string& mode, const std::vector<std::string>& arguments,
                              const std::string& body);
  SServiceAnswer fDownloadDaily(const std::string& mode, const std::string& day, const std::string& replayKey) const;

  // Never waits: "ok" when the last store check answered, 503 with the
  // reason when it failed, or when the check running now is slow.
  SServiceAnswer fHealth() const;

  // While entries stored before games were named are named (at a start,
  // while lists and pages are served), uploads are refused with a reason
  // the game shows: a copy of an entry not named yet would pass.
  void fSetNaming(bool naming) { mNaming = naming; }

  // A stop began: checks that wait for a verifier are refused.
  void fBeginStop();
  // The stop's time is up: checks still running are given up.
  void fAbortChecks();

  IRankingStore& fStore() { return mStore; }
  // Each built mode's cached ranking's age in seconds, for /metrics.
  std::vector<std::pair<std::string, double>> fCacheAges() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct SCachedList {
    std::shared_ptr<const SRankingSnapshot> ranking;
    Clock::time_point built;  // when the store was asked for it
    // The build's start number: a build never replaces a later one's ranking.
    unsigned long long buildNumber = 0;
    bool building = false;  // a background build is queued or running
    bool marksWanted = false;
    bool marking = false;  // reading marks is queued or running
    bool stale = false;     // the store changed since the kept build started
    Clock::time_point changedAt;
    Clock::time_point asked;  // the last request: modes asked for lately are kept fresh
    std::vector<std::function<void()>> waiting;  // told when the background build ends
  };
  struct SHealthState {
    bool ok = false;
    std::string problem;
    bool checking = false;
    Clock::time_point started;
  };

  // An upload that passed every check: what to store, and what its replay
  // showed.
  struct SCheckedUpload {
    SNewRankingEntry entry;
    SReplayCheckResult result;
  };
  // A refusal that costs no replay check, asked for once the upload's name
  // and score are read: the daily board's best of the name.
  using FPreCheck = std::function<std::optional<std::string>(const std::string& name, int score)>;
  // The checks every upload passes, the ranking's and the day's: its
  // arguments (NAME, SCORE, MAXRENSA), the archive, and its game replayed by
  // a verifier. The refusal, or the entry for the mode (its board is the
  // caller's to set).
  std::variant<SServiceAnswer, SCheckedUpload> fCheckUpload(const std::string& mode, const std::string& name,
                                                             const std::string& score, const std::string& maxRensa,
                                                             const std::string& body, const FPreCheck& preCheck);
  // "replay already registered", naming the entry it copies for the log.
  SServiceAnswer fCopyRefusal(const SCheckedUpload& upload) const;
  // The mode's seed of a day, from the store once known.
  std::optional<std::int32_t> fSeedOf(const std::string& mode, const std::string& day);

  SRankingSnapshot fBuildRanking(const std::string& mode) const;
  // Builds the mode's ranking now on this thread and keeps it; throws
  // CGameError when the store fails.
  std::shared_ptr<const SRankingSnapshot> fBuildNow(int mode);
  // Queues a background build unless one is queued or running; lock held.
  void fStartBuild(int mode);
  // Queues reading the kept ranking's marks, when wanted, the mode is large
  // enough and none is queued or running; lock held.
  void fStartMarks(int mode);
  void fQueue(std::function<void()> work);
  void fCheckStore();
  void fStoreThread();
  void fMonitorThread();
  // Hears the store's changes, by any process, and rebuilds what they touch.
  void fWatchThread();

  IRankingStore& mStore;
  std::atomic<bool> mNaming{false};
  IReplayVerifier& mVerifier;
  std::function<std::time_t()> mClock;
  std::chrono::milliseconds mListMaxAge;
  std::size_t mListLimit;
  std::chrono::milliseconds mHealthInterval;
  std::array<SCachedList, kModeCount> mLists;
  unsigned long long mBuilds = 0;
  mutable std::mutex mListMutex;
  mutable std::mutex mHealthMutex;
  SHealthState mHealth;

  // The daily boards asked for lately, each with the store's change count
  // when its build started: a later change makes it old.
  struct SCachedDay {
    std::shared_ptr<const SRankingSnapshot> ranking;
    unsigned long long changes = 0;
    Clock::time_point asked;
  };
  mutable std::mutex mDailyMutex;
  std::map<std::string, SCachedDay> mDays;
  unsigned long long mStoreChanges = 0;
  std::optional<SDailyToday> mToday;         // seeds of the day they were drawn for
  std::map<std::string, std::int32_t> mSeeds;  // every board's seed known so far

  // The store threads take list builds from the queue; the monitor checks
  // the store and keeps lists fresh.
  std::mutex mWorkMutex;
  std::condition_variable mWorkChanged;
  std::condition_variable mStopChanged;
  std::deque<std::function<void()>> mWork;
  bool mStopping = false;
  std::vector<std::thread> mStoreThreads;
  std::thread mMonitor;
  std::thread mWatcher;
};
