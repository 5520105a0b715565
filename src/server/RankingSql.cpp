#include "server/RankingSql.h"

#include <algorithm>

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
