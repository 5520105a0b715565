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
  const char* worse = forward ? " < " : " > ";
  const char* later = forward ? " > " : " < ";
  const std::string scoreAndId = "(score" + std::string(worse) + at(0) + " OR (score = " + at(0) + " AND id" + later +
                                 at(1) + "))";
  if (sort == ERankingSort::Score) return scoreAndId;
  return "(max_rensa" + std::string(worse) + at(0) + " OR (max_rensa = " + at(0) + " AND (score" + worse + at(1) +
         " OR (score = " + at(1) + " AND id" + later + at(2) + "))))";
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
