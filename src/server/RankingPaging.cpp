#include "server/RankingPaging.h"

#include <algorithm>
#include <climits>

#include "server/RankingRequest.h"
#include "server/RankingSql.h"

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

// Dot-separated whole numbers, each of at most 18 digits.
std::optional<std::vector<long long>> fParseNumbers(const std::string& text) {
  std::vector<long long> numbers;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find('.', start);
    const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    const bool digits = std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (part.empty() || part.size() > 18 || !digits) {
      return std::nullopt;
    }
    numbers.push_back(std::stoll(part));
    if (dot == std::string::npos) return numbers;
    start = dot + 1;
  }
}

std::optional<SRowKey> fParseRowKey(const std::string& text, ERankingSort sort) {
  const auto numbers = fParseNumbers(text);
  if (!numbers) return std::nullopt;
  for (std::size_t i = 0; i + 1 < numbers->size(); ++i) {
    if ((*numbers)[i] > INT_MAX) return std::nullopt;  // chain and score are ints
  }
  if (sort == ERankingSort::Chain && numbers->size() == 3) {
    return SRowKey{static_cast<int>((*numbers)[0]), static_cast<int>((*numbers)[1]), (*numbers)[2]};
  }
  if (sort == ERankingSort::Score && numbers->size() == 2) {
    return SRowKey{0, static_cast<int>((*numbers)[0]), (*numbers)[1]};
  }
  return std::nullopt;
}

SRowKey fKeyOf(const SRankingEntry& entry) { return SRowKey{entry.maxRensa, entry.score, entry.id}; }

const std::vector<SRankingEntry>& fCachedRows(const SRankingSnapshot& snapshot, ERankingSort sort) {
  return sort == ERankingSort::Chain ? snapshot.chainTop : snapshot.entries;
}

SRankingPage fEmptyPage(const SRankingSnapshot& snapshot, const std::string& mode, const SRankingQuery& query) {
  SRankingPage page;
  page.mode = mode;
  page.sort = query.sort;
  page.page = query.page;
  page.total = snapshot.total;
  page.pages = static_cast<int>(
      std::min<long long>(INT_MAX, std::max<long long>(1, (snapshot.total + kEntriesPerPage - 1) / kEntriesPerPage)));
  const std::size_t cached = fCachedRows(snapshot, query.sort).size();
  page.cachedPages = static_cast<long long>(cached) >= snapshot.total
                         ? page.pages
                         : static_cast<int>(cached / static_cast<std::size_t>(kEntriesPerPage));
  return page;
}

void fNumber(SRankingPage& page, std::vector<SRankingEntry> rows) {
  const long long first = static_cast<long long>(page.page - 1) * kEntriesPerPage + 1;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    page.entries.push_back(SRankedEntry{first + static_cast<long long>(i), std::move(rows[i])});
  }
}


}  // namespace

std::optional<SRankingQuery> fParseRankingQuery(std::string_view query) {
  SRankingQuery parsed;
  std::optional<std::string> after, before;
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
    } else if (name == "after" || name == "before") {
      if (!value) return std::nullopt;
      (name == "after" ? after : before) = *value;
    } else if (name == "name") {
      if (!value || !fIsValidRankingName(*value)) return std::nullopt;
      parsed.name = *value;
    }
  }
  // The key is read in the sort's form, whatever order the fields came in.
  if (after && !(parsed.after = fParseRowKey(*after, parsed.sort))) return std::nullopt;
  if (before && !(parsed.before = fParseRowKey(*before, parsed.sort))) return std::nullopt;
  if (parsed.after && parsed.before) return std::nullopt;
  return parsed;
}

std::string fRowKeyText(ERankingSort sort, const SRankingEntry& entry) {
  const std::string scoreAndId = std::to_string(entry.score) + "." + std::to_string(entry.id);
  return sort == ERankingSort::Chain ? std::to_string(entry.maxRensa) + "." + scoreAndId : scoreAndId;
}

bool fIsCachedPage(const SRankingSnapshot& snapshot, ERankingSort sort, int page) {
  const std::size_t cached = fCachedRows(snapshot, sort).size();
  const long long end = static_cast<long long>(page) * kEntriesPerPage;
  return page >= 1 && (end <= static_cast<long long>(cached) || static_cast<long long>(cached) >= snapshot.total);
}

std::optional<SRankingPage> fCachedRankingPage(const SRankingSnapshot& snapshot, const std::string& mode,
                                               const SRankingQuery& query) {
  if (!query.name.empty() || query.after || query.before) return std::nullopt;
  SRankingPage page = fEmptyPage(snapshot, mode, query);
  if (query.page > page.pages) return page;
  if (!fIsCachedPage(snapshot, query.sort, query.page)) return std::nullopt;
  const std::vector<SRankingEntry>& rows = fCachedRows(snapshot, query.sort);
  const std::size_t first = static_cast<std::size_t>(query.page - 1) * kEntriesPerPage;
  const std::size_t end = std::min(rows.size(), first + kEntriesPerPage);
  if (first < end) {
    fNumber(page, std::vector<SRankingEntry>(rows.begin() + static_cast<long>(first), rows.begin() + static_cast<long>(end)));
  }
  return page;
}

SRankingPage fStoredRankingPage(const IRankingStore& store, const SRankingSnapshot& snapshot, const std::string& mode,
                                const SRankingQuery& query) {
  SRankingPage page = fEmptyPage(snapshot, mode, query);
  if (!query.name.empty()) {
    page.name = query.name;
    for (SPlacedEntry& placed : store.fByName(mode, query.name, kNamedEntries)) {
      page.entries.push_back(SRankedEntry{placed.rank, std::move(placed.entry)});
    }
    return page;
  }
  if (query.page > page.pages) return page;
  if (query.after || query.before) {
    const bool forward = query.after.has_value();
    fNumber(page, store.fRowsAfter(mode, query.sort, forward ? *query.after : *query.before, forward, kEntriesPerPage, 0));
    return page;
  }
  const long long offset = static_cast<long long>(query.page - 1) * kEntriesPerPage;
  // From the nearest mark above the page when that passes over fewer rows
  // than counting from the nearer end of the order.
  const std::vector<SRowKey>& marks = query.sort == ERankingSort::Chain ? snapshot.chainMarks : snapshot.scoreMarks;
  const long long mark = offset / kMarkSpacing;  // marks at or above the page's first row
  const long long endSkip = fPageWindow(offset, kEntriesPerPage, snapshot.total).skip;
  if (mark >= 1 && mark <= static_cast<long long>(marks.size()) && offset % kMarkSpacing < endSkip) {
    fNumber(page, store.fRowsAfter(mode, query.sort, marks[static_cast<std::size_t>(mark - 1)], true, kEntriesPerPage,
                                   offset % kMarkSpacing));
    return page;
  }
  fNumber(page, store.fRows(mode, query.sort, offset, kEntriesPerPage));
  return page;
}

std::vector<SRowKey> fReadMarks(const IRankingStore& store, const std::string& mode, ERankingSort sort) {
  std::vector<SRowKey> marks;
  std::vector<SRankingEntry> row = store.fRows(mode, sort, kMarkSpacing - 1, 1);
  while (!row.empty()) {
    marks.push_back(fKeyOf(row.front()));
    row = store.fRowsAfter(mode, sort, marks.back(), true, 1, kMarkSpacing - 1);
  }
  return marks;
}

std::vector<SRankedEntry> fTopEntries(const SRankingSnapshot& snapshot, std::size_t count) {
  std::vector<SRankedEntry> top;
  for (std::size_t i = 0; i < std::min(count, snapshot.entries.size()); ++i) {
    top.push_back(SRankedEntry{static_cast<long long>(i) + 1, snapshot.entries[i]});
  }
  return top;
}
