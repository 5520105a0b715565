#include "server/CRankingSite.h"

#include "rules/StageModes.h"
#include "server/CRankingService.h"
#include "server/DailyBoard.h"
#include "server/RankingApi.h"
#include "server/RankingPages.h"

namespace {

constexpr std::size_t kTopEntries = 5;
constexpr std::size_t kDailyTopEntries = 10;
const std::string kNoSniff = "X-Content-Type-Options: nosniff\r\n";
const std::string kStaticCaching = "Cache-Control: public, max-age=3600\r\n";

std::shared_ptr<const std::string> fShared(std::string text) { return std::make_shared<const std::string>(std::move(text)); }

SWebAnswer fHtml(int status, std::string html) {
  return SWebAnswer{status, kHtmlContentType, fShared(std::move(html)), kHtmlSecurityHeaders};
}

SWebAnswer fRefusal(const SWebRequest& request, int status) {
  const std::string message = status == 404 ? "no such page" : status == 405 ? "method not allowed" : "bad request";
  switch (request.kind) {
    case SWebRequest::EKind::Api: return SWebAnswer{status, kJsonContentType, fShared(fJsonError(message)), kNoSniff};
    case SWebRequest::EKind::Static:
      return SWebAnswer{status, "text/plain; charset=utf-8", fShared(message + "\n"), kNoSniff};
    default: return fHtml(status, fErrorPageHtml(status, message));
  }
}

}  // namespace

CRankingSite::CRankingSite(CRankingService& service, std::filesystem::path webRoot)
    : mService(service), mFiles(std::move(webRoot)) {}

SWebAnswer CRankingSite::fAnswer(const SWebRequest& request, std::string_view ifNoneMatch) {
  if (request.refusal != 0) return fRefusal(request, request.refusal);
  if (request.daily) return fDaily(request);
  switch (request.kind) {
    case SWebRequest::EKind::Index: return fIndex();
    case SWebRequest::EKind::Ranking:
    case SWebRequest::EKind::Api: return fRanking(request);
    case SWebRequest::EKind::Watch: return fHtml(200, fWatchPageHtml(request.mode, request.key));
    case SWebRequest::EKind::Static: return fStatic(request, ifNoneMatch);
  }
  return fRefusal(request, 404);
}

SWebAnswer CRankingSite::fWrongMethod(const SWebRequest& request) {
  SWebAnswer answer = fRefusal(request, 405);
  answer.headers += "Allow: GET, HEAD\r\n";
  return answer;
}

SWebAnswer CRankingSite::fIndex() {
  std::vector<SModeTop> modes;
  for (int mode = 0; mode < kModeCount; ++mode) {
    const std::string name = fModeName(mode);
    modes.push_back(SModeTop{name, fTopEntries(*mService.fRanking(name), kTopEntries)});
  }
  return fHtml(200, fIndexPageHtml(modes));
}

bool CRankingSite::fNeedsStore(const SWebRequest& request, const SRankingSnapshot& ranking) {
  if (request.refusal != 0) return false;
  if (request.daily) return request.kind != SWebRequest::EKind::Watch;
  if (request.kind != SWebRequest::EKind::Ranking && request.kind != SWebRequest::EKind::Api) return false;
  return !fCachedRankingPage(ranking, request.mode, request.query).has_value();
}

SWebAnswer CRankingSite::fRanking(const SWebRequest& request) {
  const auto ranking = mService.fRanking(request.mode);
  auto cached = fCachedRankingPage(*ranking, request.mode, request.query);
  const SRankingQuery& query = request.query;
  if (!cached && query.name.empty() && !query.after && !query.before &&
      static_cast<long long>(query.page - 1) * kEntriesPerPage >= kMarkSpacing) {
    mService.fWantMarks(request.mode);
  }
  // A page past the cache: a page's worth of rows from the store.
  const SRankingPage page =
      cached ? std::move(*cached) : fStoredRankingPage(mService.fStore(), *ranking, request.mode, request.query);
  if (request.kind == SWebRequest::EKind::Api) {
    return SWebAnswer{200, kJsonContentType, fShared(fRankingPageJson(page)), kNoSniff};
  }
  return fHtml(200, fRankingPageHtml(page));
}

SWebAnswer CRankingSite::fDaily(const SWebRequest& request) {
  using EKind = SWebRequest::EKind;
  if (request.kind == EKind::Watch) {
    return fHtml(200, fWatchPageHtml(fDailyBoard(request.mode, request.day), request.key));
  }
  if (request.kind == EKind::Api && request.mode.empty()) {
    const SDailyToday today = mService.fToday();
    std::vector<std::pair<std::string, std::int32_t>> seeds;
    for (int mode = 0; mode < kModeCount; ++mode) seeds.emplace_back(fModeName(mode), today.seeds[static_cast<std::size_t>(mode)]);
    // A new day comes at midnight: never kept by a browser or a proxy.
    return SWebAnswer{200, kJsonContentType, fShared(fDailyJson(today.day, seeds)), kNoSniff + "Cache-Control: no-store\r\n"};
  }
  // A day still to come has no board.
  const std::string todayName = mService.fTodayName();
  if (!request.day.empty() && request.day > todayName) return fRefusal(request, 404);
  if (request.kind == EKind::Index) {
    SDailyOverview overview;
    overview.today = todayName;
    overview.day = request.day.empty() ? todayName : request.day;
    if (overview.day == todayName) {
      // Today's seeds are drawn at the day's first request, a page's too.
      overview.secondsLeft = mService.fToday().secondsLeft;
    }
    for (int mode = 0; mode < kModeCount; ++mode) {
      const std::string name = fModeName(mode);
      overview.modes.push_back(SModeTop{fDailyBoard(name, overview.day),
                                        fTopEntries(*mService.fDailyRanking(name, overview.day), kDailyTopEntries)});
    }
    return fHtml(200, fDailyPageHtml(overview));
  }
  // A day's board, paged as a mode's ranking; never a mark (a day is small).
  const auto ranking = mService.fDailyRanking(request.mode, request.day);
  const std::string board = fDailyBoard(request.mode, request.day);
  auto cached = fCachedRankingPage(*ranking, board, request.query);
  const SRankingPage page = cached ? std::move(*cached) : fStoredRankingPage(mService.fStore(), *ranking, board, request.query);
  if (request.kind == EKind::Api) return SWebAnswer{200, kJsonContentType, fShared(fRankingPageJson(page)), kNoSniff};
  return fHtml(200, fRankingPageHtml(page));
}

SWebAnswer CRankingSite::fStatic(const SWebRequest& request, std::string_view ifNoneMatch) {
  const auto file = mFiles.fFind(request.path);
  if (!file) return fRefusal(request, 404);
  // An HTML file is a page like the others: the same policy.
  const bool html = std::string_view(file->contentType).starts_with("text/html");
  SWebAnswer answer{200, file->contentType, {},
                    kStaticCaching + "ETag: " + file->etag + "\r\n" + (html ? kHtmlSecurityHeaders : kNoSniff)};
  if (!ifNoneMatch.empty() && fETagMatches(ifNoneMatch, file->etag)) {
    answer.status = 304;
    answer.body = fShared({});
    return answer;
  }
  // The kept file's bytes, shared: nothing is copied per request.
  answer.body = std::shared_ptr<const std::string>(file, &file->bytes);
  return answer;
}
