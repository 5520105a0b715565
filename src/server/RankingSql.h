// The SQL both stores share for reading a mode in one of its orders: the
// ORDER BY that an index serves, and the condition for the rows after (or
// before) one row. Placeholders are written with the store's own prefix
// ("?" for SQLite, "$" for PostgreSQL) from a first number.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "server/IRankingStore.h"

// "score DESC, id" and its mirror for reading from the far end.
std::string fRankingOrder(ERankingSort sort, bool reversed);
// Rows after the row whose key is bound at `first` and on (chain, score,
// id for the chain order; score, id for the score order); before it when
// `forward` is false. Read through the order's index from the key on.
std::string fRankingAfter(ERankingSort sort, bool forward, const std::string& prefix, int first);
// The place in the score order of the entry whose mode, score and id are
// bound at 1, 2 and 3: one more than the entries of better scores (summed
// from the kept counts of each score) and the equal ones registered before.
std::string fPlaceSql(const std::string& prefix);
// The entries of scores above the one bound at 2 and up to the one bound at
// 3, from the kept counts of each score; the mode is bound at 1.
std::string fScoresBetweenSql(const std::string& prefix);
// The entries of the mode (bound at 1) with the score bound at 2 that were
// registered before the id bound at 3.
std::string fEarlierTiesSql(const std::string& prefix);
// The places of entries given best first: the better scores are summed once
// down the list (each entry adds only the scores between it and the one
// before), so ten entries cost about what the lowest one alone does.
std::vector<long long> fPlacesDownTheList(const std::vector<SRankingEntry>& entries,
                                          const std::function<long long(int above, int upTo)>& scoresBetween,
                                          const std::function<long long(int score, long long id)>& earlierTies);
// The key's values to bind, in the order fRankingAfter names them.
std::vector<long long> fRankingKeyValues(ERankingSort sort, const SRowKey& key);
// Where a page of `count` rows from position `offset` of `total` is read
// from: the nearer end of the order, skipping `skip` index entries and
// taking `take` rows (in the reversed order when fromEnd).
struct SPageWindow {
  bool fromEnd = false;
  long long skip = 0;
  long long take = 0;
};
SPageWindow fPageWindow(long long offset, long long count, long long total);
// The columns every read returns, in SRankingEntry's order.
inline constexpr const char* kRankingColumns = "id, mode, name, score, max_rensa, replay_key, date";
