// The PostgreSQL store's reads of the ranking: pages through the orders'
// indexes, the kept counts, a player's entries, and the watch that hears
// every process's changes.
#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <thread>

#include "server/CPostgresRankingStore.h"
#include "server/PostgresCall.h"
#include "server/PostgresStoreCall.h"
#include "server/RankingSql.h"

using namespace postgres_store;

namespace {

const std::string kColumns = kRankingColumns;

std::vector<SRankingEntry> fEntries(const CResult& result) {
  std::vector<SRankingEntry> entries;
  entries.reserve(static_cast<std::size_t>(result.fRows()));
  for (int row = 0; row < result.fRows(); ++row) {
    SRankingEntry entry;
    entry.id = result.fLong(row, 0);
    entry.mode = result.fText(row, 1);
    entry.name = result.fText(row, 2);
    entry.score = result.fInt(row, 3);
    entry.maxRensa = result.fInt(row, 4);
    entry.replayKey = result.fText(row, 5);
    entry.date = result.fText(row, 6);
    entries.push_back(std::move(entry));
  }
  return entries;
}

long long fCountOn(PGconn* connection, const std::string& mode) {
  const CResult counted = fRun(connection, "SELECT entries FROM mode_counts WHERE mode = $1", {&mode});
  return counted.fRows() > 0 ? counted.fLong(0, 0) : 0;
}

}  // namespace

std::vector<SRankingEntry> CPostgresRankingStore::fList(const std::string& mode) const {
  const CCall call(*this);
  const std::string sql = "SELECT " + kColumns + " FROM entries WHERE mode = $1 ORDER BY score DESC, id ASC";
  return fEntries(fRun(fConnection(), sql.c_str(), {&mode}));
}

std::vector<SRankingEntry> CPostgresRankingStore::fRows(const std::string& mode, ERankingSort sort, long long offset,
                                                        std::size_t count) const {
  const CCall call(*this);
  PGconn* connection = fConnection();
  const long long total = fCountOn(connection, mode);
  if (offset < 0 || offset >= total || count == 0) return {};
  // From the nearer end: a deep page is counted back from the last row. The
  // ids come from the index alone; only the page's rows are read.
  const auto [fromEnd, skip, take] = fPageWindow(offset, static_cast<long long>(count), total);
  const std::string sql = "SELECT " + kColumns +
                          " FROM entries WHERE id IN (SELECT id FROM entries WHERE mode = $1 ORDER BY " +
                          fRankingOrder(sort, fromEnd) + " LIMIT $2::bigint OFFSET $3::bigint) ORDER BY " +
                          fRankingOrder(sort, false);
  const std::string takeText = std::to_string(take);
  const std::string skipText = std::to_string(skip);
  return fEntries(fRun(connection, sql.c_str(), {&mode, &takeText, &skipText}));
}

std::vector<SRankingEntry> CPostgresRankingStore::fRowsAfter(const std::string& mode, ERankingSort sort,
                                                             const SRowKey& after, bool forward,
                                                             std::size_t count, long long skip) const {
  const CCall call(*this);
  const std::vector<long long> key = fRankingKeyValues(sort, after);
  std::vector<std::string> texts = {mode};
  for (const long long value : key) texts.push_back(std::to_string(value));
  texts.push_back(std::to_string(count));
  texts.push_back(std::to_string(std::max(0LL, skip)));
  // The rows passed over are found in the index alone, as in fRows.
  const std::string order = fRankingOrder(sort, !forward);
  const std::string sql = "SELECT " + kColumns + " FROM entries WHERE id IN (SELECT id FROM entries WHERE mode = $1 AND " +
                          fRankingAfter(sort, forward, "$", 2) + " ORDER BY " + order + " LIMIT $" +
                          std::to_string(texts.size() - 1) + "::bigint OFFSET $" + std::to_string(texts.size()) +
                          "::bigint) ORDER BY " + order;
  std::vector<const char*> data;
  for (const std::string& text : texts) data.push_back(text.c_str());
  // Untyped numbers are compared with the columns' types.
  std::vector<SRankingEntry> entries = fEntries(
      fRunRaw(fConnection(), sql.c_str(), static_cast<int>(data.size()), data.data(), nullptr, nullptr, false));
  if (!forward) std::reverse(entries.begin(), entries.end());
  return entries;
}

long long CPostgresRankingStore::fCount(const std::string& mode) const {
  const CCall call(*this);
  return fCountOn(fConnection(), mode);
}

std::vector<SPlacedEntry> CPostgresRankingStore::fByName(const std::string& mode, const std::string& name,
                                                         std::size_t count) const {
  const CCall call(*this);
  PGconn* connection = fConnection();
  const std::string limit = std::to_string(count);
  const std::string sql =
      "SELECT " + kColumns + " FROM entries WHERE mode = $1 AND name = $2 ORDER BY score DESC, id ASC LIMIT $3::bigint";
  std::vector<SPlacedEntry> placed;
  for (SRankingEntry& entry : fEntries(fRun(connection, sql.c_str(), {&mode, &name, &limit}))) {
    placed.push_back(SPlacedEntry{0, std::move(entry)});
  }
  std::vector<SRankingEntry> entries;
  for (const SPlacedEntry& entry : placed) entries.push_back(entry.entry);
  const std::string between = fScoresBetweenSql("$");
  const std::string ties = fEarlierTiesSql("$");
  const std::vector<long long> places = fPlacesDownTheList(
      entries,
      [&](int above, int upTo) {
        const std::string low = std::to_string(above), high = std::to_string(upTo);
        return fRun(connection, between.c_str(), {&mode, &low, &high}).fLong(0, 0);
      },
      [&](int score, long long id) {
        const std::string scoreText = std::to_string(score), idText = std::to_string(id);
        return fRun(connection, ties.c_str(), {&mode, &scoreText, &idText}).fLong(0, 0);
      });
  for (std::size_t i = 0; i < placed.size(); ++i) placed[i].rank = places[i];
  return placed;
}

std::vector<SRankingEntry> CPostgresRankingStore::fFind(const std::string& name, const std::string& replayKey) const {
  const CCall call(*this);
  return fEntries(fRun(fConnection(),
                       "(SELECT id, mode, name, score, max_rensa, replay_key, date FROM entries "
                       "WHERE name = $1 OR replay_key = $2) UNION ALL (SELECT id, mode, name, score, max_rensa, "
                       "replay_key, date || ' (set aside)' FROM set_aside_entries WHERE name = $1 OR "
                       "replay_key = $2) ORDER BY 2, 4 DESC, 1 LIMIT 100",
                       {&name, &replayKey}));
}

namespace {

// LISTEN on a connection of its own: every process's committed change
// arrives as a notification, with no table read and no timer.
class CPostgresWatch : public IStoreWatch {
 public:
  CPostgresWatch(std::string uri, std::chrono::milliseconds connectTimeout)
      : mUri(std::move(uri)), mConnectTimeout(connectTimeout) {}
  ~CPostgresWatch() override { PQfinish(mConnection); }
  CPostgresWatch(const CPostgresWatch&) = delete;
  CPostgresWatch& operator=(const CPostgresWatch&) = delete;

  bool fWait(std::chrono::milliseconds timeout) override {
    const auto until = Clock::now() + timeout;
    if (mConnection == nullptr || PQstatus(mConnection) != CONNECTION_OK) {
      // A new listener may have missed changes meanwhile: as if changed.
      // Without one, wait out the time before the next try.
      if (!fListen()) std::this_thread::sleep_until(until);
      return true;
    }
    bool changed = false;
    for (;;) {
      if (PQconsumeInput(mConnection) == 0) {
        PQfinish(mConnection);
        mConnection = nullptr;
        return true;
      }
      while (PGnotify* notice = PQnotifies(mConnection)) {
        changed = true;
        PQfreemem(notice);
      }
      if (changed) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) return false;
      pollfd entry{PQsocket(mConnection), POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(left));
    }
  }

 private:
  bool fListen() {
    PQfinish(mConnection);
    mConnection = nullptr;
    try {
      tDeadline = Clock::now() + mConnectTimeout;
      mConnection = fConnect(mUri, mConnectTimeout);
      fRun(mConnection, "LISTEN plimo_entries", {});
      tDeadline = Clock::time_point::max();
      return true;
    } catch (const CGameError&) {
      tDeadline = Clock::time_point::max();
      PQfinish(mConnection);
      mConnection = nullptr;
      return false;
    }
  }

  std::string mUri;
  std::chrono::milliseconds mConnectTimeout;
  PGconn* mConnection = nullptr;
};

}  // namespace

std::unique_ptr<IStoreWatch> CPostgresRankingStore::fWatch() const {
  return std::make_unique<CPostgresWatch>(mUri, mTimeouts.connect);
}
