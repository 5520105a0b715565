#include "server/RankingPages.h"

#include "server/DailyBoard.h"
#include "server/WebEscape.h"

const std::string kHtmlSecurityHeaders =
    "Content-Security-Policy: default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
    "img-src 'self' data:; connect-src 'self'; object-src 'none'; base-uri 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n";

namespace {

std::string fPageStart(const std::string& title, const std::string& extraHead = {}) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         fEscapeHtml(title) +
         "</title>\n<link rel=\"stylesheet\" href=\"/static/site.css\">\n"
         "<link rel=\"icon\" href=\"/static/icon.svg\" type=\"image/svg+xml\">\n" + extraHead + "</head>\n<body>\n"
         "<header><a href=\"/\">PlimoBall ranking</a></header>\n";
}

const std::string kPageEnd = "</body>\n</html>\n";

std::string fLink(const std::string& address, const std::string& text, const std::string& rel = {}) {
  std::string link = "<a href=\"" + fEscapeHtml(address) + "\"";
  if (!rel.empty()) link += " rel=\"" + rel + "\"";
  return link + ">" + fEscapeHtml(text) + "</a>";
}

// A daily board's entry is watched under its mode and day.
std::string fWatchAddress(const std::string& board, const std::string& key) {
  if (const auto daily = fSplitDailyBoard(board)) {
    return "/watch/" + fPercentEncodeSegment(daily->mode) + "/" + daily->day + "/" + fPercentEncodeSegment(key);
  }
  return "/watch/" + fPercentEncodeSegment(board) + "/" + fPercentEncodeSegment(key);
}

std::string fCell(const std::string& text, const char* kind = nullptr) {
  return std::string(kind != nullptr ? "<td class=\"" + std::string(kind) + "\">" : "<td>") + fEscapeHtml(text) + "</td>";
}

std::string fEntryTable(const std::string& mode, const std::vector<SRankedEntry>& entries) {
  std::string table =
      "<table class=\"ranking\">\n<thead><tr><th>rank</th><th>name</th><th>score</th><th>chain</th><th>date</th>"
      "<th></th></tr></thead>\n<tbody>\n";
  for (const SRankedEntry& ranked : entries) {
    const SRankingEntry& entry = ranked.entry;
    table += "<tr>" + fCell(std::to_string(ranked.rank), "number") + fCell(entry.name, "name") +
             fCell(std::to_string(entry.score), "number") + fCell(std::to_string(entry.maxRensa), "number") +
             fCell(entry.date) + "<td>" + fLink(fWatchAddress(mode, entry.replayKey), "watch") + "</td></tr>\n";
  }
  return table + "</tbody>\n</table>\n";
}

}  // namespace

std::string fRankingPageAddress(const std::string& mode, ERankingSort sort, int page) {
  const std::string query = "?page=" + std::to_string(page) + "&sort=" + fSortName(sort);
  if (const auto daily = fSplitDailyBoard(mode)) {
    return "/daily/" + fPercentEncodeSegment(daily->mode) + "/" + daily->day + query;
  }
  return "/ranking/" + fPercentEncodeSegment(mode) + query;
}

std::string fBoardTitle(const std::string& board) {
  if (const auto daily = fSplitDailyBoard(board)) return daily->mode + " daily challenge of " + daily->day;
  return board + " ranking";
}

std::string fIndexPageHtml(const std::vector<SModeTop>& modes) {
  std::string html = fPageStart("PlimoBall ranking") + "<main>\n<h1>PlimoBall ranking</h1>\n";
  for (const SModeTop& top : modes) {
    html += "<section>\n<h2>" + fEscapeHtml(top.mode) + "</h2>\n";
    if (top.entries.empty()) {
      html += "<p class=\"empty\">No entries yet.</p>\n";
    } else {
      html += fEntryTable(top.mode, top.entries);
    }
    html += "<p>" + fLink(fRankingPageAddress(top.mode, ERankingSort::Score, 1), "Whole " + top.mode + " ranking") +
            "</p>\n</section>\n";
  }
  html += "<p class=\"daily\">" + fLink("/daily", "Today's daily challenge") +
          ": one seed a mode for everyone, one ranking a day.</p>\n";
  return html + "</main>\n" + kPageEnd;
}

std::string fDailyPageHtml(const SDailyOverview& overview) {
  const std::string& day = overview.day;
  std::string html = fPageStart("PlimoBall daily challenge: " + day) + "<main>\n<h1>Daily challenge of " +
                     fEscapeHtml(day) + "</h1>\n";
  if (overview.secondsLeft > 0) {
    const long long minutes = (overview.secondsLeft + 59) / 60;
    html += "<p class=\"summary\">Everyone plays the same balls today. Time left: " + std::to_string(minutes / 60) +
            " h " + std::to_string(minutes % 60) + " min (the day ends at midnight UTC, " +
            fEscapeHtml(fDayEndText(day)) + "; games ended by then are taken until 00:15).</p>\n";
  } else {
    html += "<p class=\"summary\">This day is over: its rankings stay as they ended.</p>\n";
  }
  for (const SModeTop& top : overview.modes) {
    const auto daily = fSplitDailyBoard(top.mode);
    const std::string mode = daily ? daily->mode : top.mode;
    html += "<section>\n<h2>" + fEscapeHtml(mode) + "</h2>\n";
    if (top.entries.empty()) {
      html += "<p class=\"empty\">No entries yet.</p>\n";
    } else {
      html += fEntryTable(top.mode, top.entries);
    }
    html += "<p>" + fLink(fRankingPageAddress(top.mode, ERankingSort::Score, 1), "The whole day of " + mode) +
            "</p>\n</section>\n";
  }
  // A plain form: the browser's own date field, no script.
  html += "<form class=\"day\" action=\"/daily\" method=\"get\">\n<label>Another day: <input type=\"date\" "
          "name=\"date\" value=\"" + fEscapeHtml(day) + "\" min=\"2000-01-01\" max=\"" + fEscapeHtml(overview.today) +
          "\" required></label>\n<button type=\"submit\">Show</button>\n</form>\n";
  if (day != overview.today) html += "<p>" + fLink("/daily", "Today's challenge") + "</p>\n";
  return html + "</main>\n" + kPageEnd;
}

namespace {

// A neighbour in the cache by its number; one further down by the key of
// the row beside it, so that it is read through the index.
std::string fNeighbourAddress(const SRankingPage& page, int step) {
  const int target = page.page + step;
  std::string address = fRankingPageAddress(page.mode, page.sort, target);
  if (target <= page.cachedPages || target == page.pages || page.entries.empty()) return address;
  const SRankingEntry& beside = step > 0 ? page.entries.back().entry : page.entries.front().entry;
  return address + (step > 0 ? "&after=" : "&before=") + fRowKeyText(page.sort, beside);
}

std::string fNamedPageHtml(const SRankingPage& page) {
  const std::string& mode = page.mode;
  std::string html = fPageStart("PlimoBall ranking: " + mode + ", " + page.name) + "<main>\n<h1>" +
                     fEscapeHtml(fBoardTitle(mode)) + "</h1>\n";
  if (page.entries.empty()) {
    html += "<p class=\"empty\">No entries of " + fEscapeHtml(page.name) + ".</p>\n";
  } else {
    html += "<p class=\"summary\">The best entries of " + fEscapeHtml(page.name) + ", of " +
            std::to_string(page.total) + ".</p>\n";
    html += fEntryTable(mode, page.entries);
    html += "<ul class=\"around\">\n";
    for (const SRankedEntry& ranked : page.entries) {
      const int around = static_cast<int>((ranked.rank - 1) / kEntriesPerPage + 1);
      html += "<li>" + fLink(fRankingPageAddress(mode, ERankingSort::Score, around),
                             "Around rank " + std::to_string(ranked.rank)) + "</li>\n";
    }
    html += "</ul>\n";
  }
  html += "<p>" + fLink(fRankingPageAddress(mode, ERankingSort::Score, 1), "The whole " + fBoardTitle(mode)) +
          "</p>\n</main>\n";
  return html + kPageEnd;
}

}  // namespace

std::string fRankingPageHtml(const SRankingPage& page) {
  if (!page.name.empty()) return fNamedPageHtml(page);
  const std::string& mode = page.mode;
  const ERankingSort other = page.sort == ERankingSort::Score ? ERankingSort::Chain : ERankingSort::Score;
  std::string html = fPageStart("PlimoBall ranking: " + mode + ", page " + std::to_string(page.page)) + "<main>\n<h1>" +
                     fEscapeHtml(fBoardTitle(mode)) + "</h1>\n";
  html += "<p class=\"summary\">" + std::to_string(page.total) + " entries, by " + fSortName(page.sort) + ". " +
          fLink(fRankingPageAddress(mode, other, 1), std::string("Sort by ") + fSortName(other)) + "</p>\n";
  html += fEntryTable(mode, page.entries);

  html += "<nav class=\"pages\">";
  if (page.page > page.pages) {
    html += "<p>There is no page " + std::to_string(page.page) + ". " +
            fLink(fRankingPageAddress(mode, page.sort, page.pages), "Back to the last page") + "</p>";
  } else {
    if (page.page > 2) html += fLink(fRankingPageAddress(mode, page.sort, 1), "First", "first") + " ";
    if (page.page > 1) html += fLink(fNeighbourAddress(page, -1), "Previous", "prev") + " ";
    html += "<span>page " + std::to_string(page.page) + " of " + std::to_string(page.pages) + "</span>";
    if (page.page < page.pages) html += " " + fLink(fNeighbourAddress(page, 1), "Next", "next");
    if (page.page + 1 < page.pages) html += " " + fLink(fRankingPageAddress(mode, page.sort, page.pages), "Last", "last");
  }
  html += "</nav>\n";
  if (const auto daily = fSplitDailyBoard(mode)) {
    html += "<p>" + fLink("/daily?date=" + daily->day, "Every mode of " + daily->day) + " " +
            fLink("/daily", "Today's challenge") + "</p>\n";
  }
  html += "</main>\n";
  return html + kPageEnd;
}

std::string fWatchPageHtml(const std::string& mode, const std::string& key) {
  return fPageStart("PlimoBall replay: " + mode + " " + key, "<link rel=\"stylesheet\" href=\"/static/viewer.css\">\n") +
         "<p class=\"replay\">Replay " + fEscapeHtml(key) + " of the " + fEscapeHtml(fBoardTitle(mode)) + ". " +
         fLink(fRankingPageAddress(mode, ERankingSort::Score, 1), "Back to the " + fBoardTitle(mode)) + "</p>\n" +
         "<main id=\"viewer\"></main>\n<script type=\"module\" src=\"/static/viewer.js\"></script>\n" + kPageEnd;
}

std::string fErrorPageHtml(int status, const std::string& message) {
  return fPageStart("PlimoBall ranking: " + std::to_string(status)) + "<main>\n<h1>" + std::to_string(status) +
         "</h1>\n<p>" + fEscapeHtml(message) + "</p>\n<p>" + fLink("/", "To the ranking") + "</p>\n</main>\n" + kPageEnd;
}
