#include "server/RankingPaging.h"

#include <algorithm>
#include <climits>
#include <numeric>

#include "server/RankingRequest.h"

SRankingSnapshot fMakeRankingSnapshot(std::vector<SRankingEntry> entries, std::string listBody) {
  SRankingSnapshot snapshot{std::move(entries), {}, std::move(listBody)};
  snapshot.byChain.resize(snapshot.entries.size());
  std::iota(snapshot.byChain.begin(), snapshot.byChain.end(), std::size_t{0});
  std::stable_sort(snapshot.byChain.begin(), snapshot.byChain.end(), [&](std::size_t a, std::size_t b) {
    return snapshot.entries[a].maxRensa > snapshot.entries[b].maxRensa;
  });
  return snapshot;
}

const char* fSortName(ERankingSort sort) { return sort == ERankingSort::Chain ? "chain" : "score"; }

namespace {

std::optional<int> fParsePageNumber(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const std::size_t first = text.find_first_not_of('0');
  if (first == std::string_view::npos) return std::nullopt;  // page 0
  if (text.size() - first > 9) return INT_MAX;
  return std::stoi(std::string(text.substr(first)));
}

}  // namespace

std::optional<SRankingQuery> fParseRankingQuery(std::string_view query) {
  SRankingQuery parsed;
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view field = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const std::size_t equals = field.find('=');
    const std::string_view name = field.substr(0, equals);
    const auto value = fPercentDecode(std::string(equals == std::string_view::npos ? std::string_view() : field.substr(equals + 1)));
    if (name == "page") {
      const auto page = value ? fParsePageNumber(*value) : std::nullopt;
      if (!page) return std::nullopt;
      parsed.page = *page;
    } else if (name == "sort") {
      if (value == "score") {
        parsed.sort = ERankingSort::Score;
      } else if (value == "chain") {
        parsed.sort = ERankingSort::Chain;
      } else {
        return std::nullopt;
      }
    }
  }
  return parsed;
}

SRankingPage fRankingPage(const SRankingSnapshot& snapshot, const std::string& mode, SRankingQuery query) {
  SRankingPage page;
  page.mode = mode;
  page.sort = query.sort;
  page.page = query.page;
  page.total = static_cast<int>(snapshot.entries.size());
  page.pages = std::max(1, (page.total + kEntriesPerPage - 1) / kEntriesPerPage);
  if (query.page > page.pages) return page;
  const std::size_t first = static_cast<std::size_t>(query.page - 1) * kEntriesPerPage;
  const std::size_t end = std::min(snapshot.entries.size(), first + kEntriesPerPage);
  for (std::size_t position = first; position < end; ++position) {
    const std::size_t index = query.sort == ERankingSort::Chain ? snapshot.byChain[position] : position;
    page.entries.push_back(SRankedEntry{static_cast<int>(position) + 1, snapshot.entries[index]});
  }
  return page;
}

std::vector<SRankedEntry> fTopEntries(const SRankingSnapshot& snapshot, std::size_t count) {
  std::vector<SRankedEntry> top;
  for (std::size_t i = 0; i < std::min(count, snapshot.entries.size()); ++i) {
    top.push_back(SRankedEntry{static_cast<int>(i) + 1, snapshot.entries[i]});
  }
  return top;
}
