#include "server/RankingSql.h"

#include <algorithm>
#include <climits>

#include "util/Assert.h"

std::string fRankingOrder(ERankingSort sort, bool reversed) {
  if (sort == ERankingSort::Chain) {
    return reversed ? "max_rensa ASC, score ASC, id DESC" : "max_rensa DESC, score DESC, id ASC";
  }
  return reversed ? "score ASC, id DESC" : "score DESC, id ASC";
}

std::string fRankingAfter(ERankingSort sort, bool forward, const std::string& prefix, int first) {
  auto at = [&](int offset) { return prefix + std::to_string(first + offset); };
  const bool chain = sort == ERankingSort::Chain;
  const std::string worse = forward ? " < " : " > ";
  // The leading values as a row value: the databases seek it in the index,
  // so no row before the key is walked; the rest tells the equal ones apart.
  const std::string leading = chain ? "(max_rensa, score)" + std::string(forward ? " <= " : " >= ") + "(" + at(0) + ", " + at(1) + ")"
                                    : "score" + std::string(forward ? " <= " : " >= ") + at(0);
  const std::string tail = (chain ? "max_rensa" + worse + at(0) + " OR " : std::string()) + "score" + worse +
                           at(chain ? 1 : 0) + " OR id" + (forward ? " > " : " < ") + at(chain ? 2 : 1);
  return leading + " AND (" + tail + ")";
}

std::string fPlaceSql(const std::string& prefix) {
  const std::string mode = prefix + "1", score = prefix + "2", id = prefix + "3";
  return "SELECT 1 + CAST(COALESCE((SELECT SUM(entries) FROM score_counts WHERE mode = " + mode + " AND score > " +
         score + "), 0) AS BIGINT) + (SELECT COUNT(*) FROM entries WHERE mode = " + mode + " AND score = " + score +
         " AND id < " + id + ")";
}

std::string fScoresBetweenSql(const std::string& prefix) {
  return "SELECT CAST(COALESCE(SUM(entries), 0) AS BIGINT) FROM score_counts WHERE mode = " + prefix + "1 AND score > " +
         prefix + "2 AND score <= " + prefix + "3";
}

std::string fEarlierTiesSql(const std::string& prefix) {
  return "SELECT COUNT(*) FROM entries WHERE mode = " + prefix + "1 AND score = " + prefix + "2 AND id < " + prefix + "3";
}

std::vector<long long> fPlacesDownTheList(const std::vector<SRankingEntry>& entries,
                                          const std::function<long long(int above, int upTo)>& scoresBetween,
                                          const std::function<long long(int score, long long id)>& earlierTies) {
  std::vector<long long> places;
  long long better = 0;  // entries with a better score than the current one
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int upTo = i == 0 ? INT_MAX : entries[i - 1].score;
    PLIMO_ASSERT(entries[i].score <= upTo, "entries come best first");
    if (i == 0 || entries[i].score < upTo) better += scoresBetween(entries[i].score, upTo);
    places.push_back(1 + better + earlierTies(entries[i].score, entries[i].id));
  }
  return places;
}

std::vector<long long> fRankingKeyValues(ERankingSort sort, const SRowKey& key) {
  if (sort == ERankingSort::Chain) return {key.chain, key.score, key.id};
  return {key.score, key.id};
}

SPageWindow fPageWindow(long long offset, long long count, long long total) {
  SPageWindow window{false, offset, count};
  if (offset + count / 2 > total / 2) {
    window.fromEnd = true;
    window.take = std::min(count, total - offset);
    window.skip = total - offset - window.take;
  }
  return window;
}
