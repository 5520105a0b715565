// The ranking as the web pages show it: one mode's entries in either order,
// cut into pages of fifty, with a rank that is the position in that order.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/IRankingStore.h"

inline constexpr int kEntriesPerPage = 50;

// One mode's entries as the store lists them, kept by the list cache.
struct SRankingSnapshot {
  std::vector<SRankingEntry> entries;  // best score first, ties in registration order
  std::vector<std::size_t> byChain;    // indices: longest chain first, ties in the store's order
  std::string listBody;                // the game's list answer
};
SRankingSnapshot fMakeRankingSnapshot(std::vector<SRankingEntry> entries, std::string listBody);

enum class ERankingSort { Score, Chain };
const char* fSortName(ERankingSort sort);

struct SRankingQuery {
  ERankingSort sort = ERankingSort::Score;
  int page = 1;
};
// "page=N&sort=score|chain" in any order, both optional, other fields
// ignored. Nothing for a page that is not a whole number from 1 or a sort
// that is neither; a page too large to count is simply past the end.
std::optional<SRankingQuery> fParseRankingQuery(std::string_view query);

struct SRankedEntry {
  int rank = 0;
  SRankingEntry entry;
};

struct SRankingPage {
  std::string mode;
  ERankingSort sort = ERankingSort::Score;
  int page = 1;
  int pages = 1;  // at least 1: an empty ranking has an empty first page
  int total = 0;
  std::vector<SRankedEntry> entries;  // empty for a page past the end
};
SRankingPage fRankingPage(const SRankingSnapshot& snapshot, const std::string& mode, SRankingQuery query);

// The first entries in score order, for the front page.
std::vector<SRankedEntry> fTopEntries(const SRankingSnapshot& snapshot, std::size_t count);
