// The ranking as the web pages show it: one mode's entries in either order,
// cut into pages of fifty, with a rank that is the position in that order.
// The first pages of each order come from the list cache; deeper pages, the
// pages reached by their neighbours' keys and a player's entries are read
// from the store, a page at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/IRankingStore.h"

inline constexpr int kEntriesPerPage = 50;
// A player's entries shown on the name page.
inline constexpr std::size_t kNamedEntries = 10;
// A mark is kept at every this many rows of each order, once pages far down
// are asked for: a page by its number is then read from the mark above it.
inline constexpr long long kMarkSpacing = 2'000;

// One mode's top entries in each order, kept by the list cache: never the
// whole mode.
struct SRankingSnapshot {
  std::vector<SRankingEntry> entries;   // the top of the score order (the game's list)
  std::vector<SRankingEntry> chainTop;  // the top of the chain order
  long long total = 0;                  // the mode's entries
  std::string listBody;                 // the game's list answer
  // The keys of the rows at places kMarkSpacing, 2 kMarkSpacing, ... of each
  // order; empty until read (see fReadMarks).
  std::vector<SRowKey> scoreMarks;
  std::vector<SRowKey> chainMarks;
};

const char* fSortName(ERankingSort sort);

struct SRankingQuery {
  ERankingSort sort = ERankingSort::Score;
  int page = 1;
  // The page right after (or before) the row with this key: the links to a
  // page's neighbours carry it, so a deep page is found through the index.
  std::optional<SRowKey> after;
  std::optional<SRowKey> before;
  std::string name;  // a player's entries instead of a page
};
// "page=N&sort=score|chain&after=KEY&before=KEY&name=NAME" in any order, all
// optional, other fields ignored. A key is "SCORE.ID" in the score order
// and "CHAIN.SCORE.ID" in the chain order. Nothing for a page that is not a
// whole number from 1, a sort that is neither, a key that does not fit the
// sort or a name the game could not send; a page too large to count is
// simply past the end.
std::optional<SRankingQuery> fParseRankingQuery(std::string_view query);
// A row's key as the links write it.
std::string fRowKeyText(ERankingSort sort, const SRankingEntry& entry);

struct SRankedEntry {
  long long rank = 0;
  SRankingEntry entry;
};

struct SRankingPage {
  std::string mode;
  ERankingSort sort = ERankingSort::Score;
  int page = 1;
  int pages = 1;  // at least 1: an empty ranking has an empty first page
  long long total = 0;
  std::vector<SRankedEntry> entries;  // empty for a page past the end
  std::string name;                   // set for a player's entries
  int cachedPages = 0;                // pages 1 to this come from the cache
};
// The page from the cache; nothing when it must be read from the store.
std::optional<SRankingPage> fCachedRankingPage(const SRankingSnapshot& snapshot, const std::string& mode,
                                               const SRankingQuery& query);
// The page read from the store: a page's worth of rows through an index.
SRankingPage fStoredRankingPage(const IRankingStore& store, const SRankingSnapshot& snapshot, const std::string& mode,
                                const SRankingQuery& query);
// The marks of one order, read through its index: each is found from the one
// before it by passing over kMarkSpacing index entries, so the whole order
// is walked once and only the marked rows are read.
std::vector<SRowKey> fReadMarks(const IRankingStore& store, const std::string& mode, ERankingSort sort);
// Whether the page's neighbour (page + step) is in the cache.
bool fIsCachedPage(const SRankingSnapshot& snapshot, ERankingSort sort, int page);

// The first entries in score order, for the front page.
std::vector<SRankedEntry> fTopEntries(const SRankingSnapshot& snapshot, std::size_t count);
