#include "server/CRankingSite.h"

#include <gtest/gtest.h>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <sstream>

#include "gamelib/FileSystem.h"
#include "server/CRankingService.h"
#include "server/CountingStore.h"
#include "server/RankingPages.h"
#include "server/RankingRequest.h"
#include "server/Sha256.h"
#include "support/HeadlessTest.h"

namespace {

const std::string kPolicy =
    "Content-Security-Policy: default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
    "img-src 'self' data:; connect-src 'self'; object-src 'none'; base-uri 'none'; frame-ancestors 'none'\r\n";

// Names the game never sends, straight into the store.
const std::vector<std::string> kHostileNames = {"<img/src=x/onerror=alert(1)>", "\"quoted\"", "a&b",
                                                std::string("ctl\x01") + "x"};

class CNoVerifier : public IReplayVerifier {
 public:
  SVerifyOutcome fVerify(const std::string&) override { return {}; }
};

using ptree = boost::property_tree::ptree;

ptree fParseJson(const std::string& text) {
  std::istringstream stream(text);
  ptree tree;
  boost::property_tree::read_json(stream, tree);
  return tree;
}

class RankingSiteTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mStore = std::make_unique<CCountingStore>(fOpenRankingStore(fAbsolutePath("ranking.sqlite")));
    mService = std::make_unique<CRankingService>(*mStore, mVerifier, [] { return std::time_t{0}; },
                                                 std::chrono::hours(1));
    mSite = std::make_unique<CRankingSite>(*mService, fAbsolutePath("web"));
  }

  void fAdd(const std::string& mode, const std::string& name, int score, int chain) {
    SNewRankingEntry entry;
    entry.mode = mode;
    entry.name = name;
    entry.score = score;
    entry.maxRensa = chain;
    entry.date = "2024/05/06 07:08:09";
    entry.archive = mode + name + std::to_string(mStore->mLists) + std::to_string(++mAdded);
    entry.archiveHash = fSha256Hex(entry.archive);
    ASSERT_TRUE(mStore->fAdd(entry));
  }

  SWebAnswer fGet(const std::string& target, const std::string& ifNoneMatch = {}) {
    const auto request = fParseWebTarget(target);
    EXPECT_TRUE(request) << target;
    return request ? mSite->fAnswer(*request, ifNoneMatch) : SWebAnswer{};
  }

  CNoVerifier mVerifier;
  std::unique_ptr<CCountingStore> mStore;
  std::unique_ptr<CRankingService> mService;
  std::unique_ptr<CRankingSite> mSite;
  int mAdded = 0;
};

TEST(WebRouteTest, TheSitesPathsAreReadAndTheGamesAreLeftAlone) {
  using EKind = SWebRequest::EKind;
  EXPECT_EQ(fParseWebTarget("/")->kind, EKind::Index);
  const auto ranking = fParseWebTarget("/ranking/yoiko?sort=chain&page=4");
  ASSERT_TRUE(ranking);
  EXPECT_EQ(ranking->kind, EKind::Ranking);
  EXPECT_EQ(ranking->mode, "yoiko");
  EXPECT_EQ(ranking->query.page, 4);
  EXPECT_EQ(ranking->query.sort, ERankingSort::Chain);
  EXPECT_EQ(ranking->refusal, 0);
  EXPECT_EQ(fParseWebTarget("/api/ranking/wanpaku")->kind, EKind::Api);
  const auto watch = fParseWebTarget("/watch/plimo/ab%2Bc");
  ASSERT_TRUE(watch);
  EXPECT_EQ(watch->key, "ab+c");
  EXPECT_EQ(fParseWebTarget("/static/a%20b.js")->path, "a b.js");
  // Refused with the right status.
  for (const auto& [target, status] : std::vector<std::pair<std::string, int>>{
           {"/ranking/other", 404}, {"/ranking/plimo/", 404}, {"/ranking/plimo?page=0", 400},
           {"/api/ranking/plimo?sort=name", 400}, {"/api/other", 404}, {"/watch/other/abc", 404}, {"/watch/plimo", 404},
           {"/watch/plimo/", 404}, {"/watch/plimo/a/b", 404}, {"/watch/plimo/%zz", 400}}) {
    EXPECT_EQ(fParseWebTarget(target)->refusal, status) << target;
  }
  // The game's scripts and the health check are not the site's.
  EXPECT_FALSE(fParseWebTarget("/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?"));
  EXPECT_FALSE(fParseWebTarget("/healthz"));
  EXPECT_FALSE(fParseWebTarget("/index.html"));
  EXPECT_FALSE(fParseWebTarget("/rankings"));
}

TEST(WebRouteTest, PagesTakeGetAndHeadOnly) {
  using EKind = SRankingRoute::EKind;
  EXPECT_EQ(fRouteRequest("GET", "/").kind, EKind::Page);
  EXPECT_EQ(fRouteRequest("HEAD", "/ranking/plimo").kind, EKind::Page);
  EXPECT_EQ(fRouteRequest("GET", "/watch/plimo/abc").kind, EKind::Page);
  EXPECT_EQ(fRouteRequest("GET", "/api/ranking/plimo").kind, EKind::Api);
  EXPECT_EQ(fRouteRequest("GET", "/static/viewer.js").kind, EKind::Static);
  EXPECT_EQ(fRouteRequest("GET", "/ranking/yoiko").mode, "yoiko");
  EXPECT_EQ(fRouteRequest("GET", "/ranking/<b>").mode, "");  // only real modes reach the log
  for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
    const SRankingRoute route = fRouteRequest(method, "/ranking/plimo");
    EXPECT_EQ(route.kind, EKind::WrongMethod) << method;
    EXPECT_TRUE(route.web) << method;
  }
}

TEST_F(RankingSiteTest, EveryHtmlAnswerCarriesThePolicyAndNoSniffAndNoInlineScriptOrStyle) {
  fAdd("plimo", "taro", 100, 2);
  for (const char* target : {"/", "/ranking/plimo", "/ranking/plimo?page=9", "/watch/plimo/0123456789abcdef",
                             "/ranking/other", "/ranking/plimo?page=x", "/watch/other/k"}) {
    SCOPED_TRACE(target);
    const SWebAnswer answer = fGet(target);
    EXPECT_EQ(answer.contentType, "text/html; charset=utf-8");
    EXPECT_NE(answer.headers.find(kPolicy), std::string::npos);
    EXPECT_NE(answer.headers.find("X-Content-Type-Options: nosniff\r\n"), std::string::npos);
    ASSERT_TRUE(answer.body);
    const std::string& html = *answer.body;
    EXPECT_EQ(html.find("<style"), std::string::npos);
    EXPECT_EQ(html.find("style="), std::string::npos);
    // Scripts only by address.
    const std::string byAddress = "<script type=\"module\" src=\"/static/";
    for (std::size_t at = html.find("<script"); at != std::string::npos; at = html.find("<script", at + 1)) {
      EXPECT_EQ(html.compare(at, byAddress.size(), byAddress), 0);
      EXPECT_EQ(html.compare(html.find('>', at), 10, "></script>"), 0);
    }
  }
  EXPECT_EQ(fGet("/ranking/other").status, 404);
  EXPECT_EQ(fGet("/ranking/plimo?page=x").status, 400);
  EXPECT_EQ(fGet("/watch/other/k").status, 404);
}

TEST_F(RankingSiteTest, HostileStoredNamesAreTextInThePagesAndStringsInTheJson) {
  int score = 1000;
  for (const std::string& name : kHostileNames) fAdd("plimo", name, score -= 10, 1);
  for (const char* target : {"/", "/ranking/plimo", "/ranking/plimo?sort=chain"}) {
    SCOPED_TRACE(target);
    const std::string html = *fGet(target).body;
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_EQ(html.find("\"quoted\""), std::string::npos);
    EXPECT_EQ(html.find("a&b"), std::string::npos);
    EXPECT_EQ(html.find('\x01'), std::string::npos);
    EXPECT_NE(html.find("&lt;img/src=x/onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot;quoted&quot;"), std::string::npos);
    EXPECT_NE(html.find("a&amp;b"), std::string::npos);
  }
  const SWebAnswer api = fGet("/api/ranking/plimo");
  EXPECT_EQ(api.contentType, "application/json");
  EXPECT_NE(api.headers.find("X-Content-Type-Options: nosniff\r\n"), std::string::npos);
  EXPECT_EQ(api.body->find('\x01'), std::string::npos);
  EXPECT_NE(api.body->find("ctl\\u0001x"), std::string::npos);
  // The names come back whole from a real JSON reader.
  const ptree tree = fParseJson(*api.body);
  std::vector<std::string> names;
  for (const auto& [unused, entry] : tree.get_child("entries")) names.push_back(entry.get<std::string>("name"));
  EXPECT_EQ(names, kHostileNames);
}

TEST_F(RankingSiteTest, TheJsonHoldsOnePageWithItsPlaceInTheWhole) {
  for (int i = 0; i < 120; ++i) fAdd("yoiko", "p" + std::to_string(i), 5000 - i, i % 4);
  const std::string body = *fGet("/api/ranking/yoiko?page=2&sort=chain").body;
  const ptree tree = fParseJson(body);
  EXPECT_EQ(tree.get<std::string>("mode"), "yoiko");
  EXPECT_EQ(tree.get<std::string>("sort"), "chain");
  EXPECT_EQ(tree.get<int>("page"), 2);
  EXPECT_EQ(tree.get<int>("pages"), 3);
  EXPECT_EQ(tree.get<int>("total"), 120);
  const ptree& entries = tree.get_child("entries");
  ASSERT_EQ(entries.size(), 50u);
  // 30 entries a chain, longest first: ranks 31..60 hold chain 2 in the
  // store's order (p2, p6, ...), so rank 51 is p82. Numbers are numbers.
  EXPECT_NE(body.find("\"page\":2,"), std::string::npos);
  EXPECT_NE(body.find("{\"rank\":51,\"name\":\"p82\",\"score\":4918,\"chain\":2,"), std::string::npos);
  const ptree first = entries.front().second;
  for (const char* field : {"rank", "name", "score", "chain", "date", "key"}) EXPECT_TRUE(first.count(field)) << field;
  EXPECT_EQ(first.get<std::string>("date"), "2024/05/06 07:08:09");
  EXPECT_EQ(first.get<std::string>("key").size(), 16u);
  // Past the end: an empty list, still a page.
  const ptree past = fParseJson(*fGet("/api/ranking/yoiko?page=4").body);
  EXPECT_EQ(past.get_child("entries").size(), 0u);
  EXPECT_EQ(past.get<int>("total"), 120);
  const SWebAnswer bad = fGet("/api/ranking/yoiko?page=-2");
  EXPECT_EQ(bad.status, 400);
  EXPECT_EQ(bad.contentType, "application/json");
  EXPECT_NO_THROW(fParseJson(*bad.body));
}

TEST_F(RankingSiteTest, RankingPagesLinkTheirNeighboursTheOtherOrderAndEachReplay) {
  for (int i = 0; i < 120; ++i) fAdd("wanpaku", "w" + std::to_string(i), 9000 - i, i % 5);
  const std::string middle = *fGet("/ranking/wanpaku?page=2").body;
  EXPECT_NE(middle.find("href=\"/ranking/wanpaku?page=1&amp;sort=score\""), std::string::npos);
  EXPECT_NE(middle.find("href=\"/ranking/wanpaku?page=3&amp;sort=score\""), std::string::npos);
  EXPECT_NE(middle.find("href=\"/ranking/wanpaku?page=1&amp;sort=chain\""), std::string::npos);
  EXPECT_NE(middle.find("<td class=\"number\">51</td><td class=\"name\">w50</td>"), std::string::npos);
  std::size_t rows = 0;
  for (std::size_t at = middle.find("href=\"/watch/wanpaku/"); at != std::string::npos;
       at = middle.find("href=\"/watch/wanpaku/", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 50u);
  const std::string first = *fGet("/ranking/wanpaku").body;
  EXPECT_EQ(first.find("rel=\"prev\""), std::string::npos);
  EXPECT_NE(first.find("rel=\"next\""), std::string::npos);
  const std::string last = *fGet("/ranking/wanpaku?page=3&sort=chain").body;
  EXPECT_NE(last.find("rel=\"prev\""), std::string::npos);
  EXPECT_EQ(last.find("rel=\"next\""), std::string::npos);
  // Past the end: no rows, a way back, and not an error.
  const SWebAnswer past = fGet("/ranking/wanpaku?page=40&sort=chain");
  EXPECT_EQ(past.status, 200);
  EXPECT_EQ(past.body->find("/watch/"), std::string::npos);
  EXPECT_NE(past.body->find("href=\"/ranking/wanpaku?page=3&amp;sort=chain\""), std::string::npos);
  // The front page: five a mode, and a way to each whole ranking.
  const std::string front = *fGet("/").body;
  EXPECT_NE(front.find("w4</td>"), std::string::npos);
  EXPECT_EQ(front.find("w5</td>"), std::string::npos);
  for (const char* mode : {"plimo", "yoiko", "wanpaku"}) {
    EXPECT_NE(front.find(std::string("href=\"/ranking/") + mode + "?page=1&amp;sort=score\""), std::string::npos) << mode;
  }
}

TEST_F(RankingSiteTest, AWatchPageIsTheViewersFrameWithTheKeyOnlyAsEscapedText) {
  const SWebAnswer answer = fGet("/watch/plimo/%3Cb%3E%22key");
  ASSERT_EQ(answer.status, 200);
  const std::string& html = *answer.body;
  EXPECT_NE(html.find("<main id=\"viewer\"></main>"), std::string::npos);
  EXPECT_NE(html.find("<link rel=\"stylesheet\" href=\"/static/viewer.css\">"), std::string::npos);
  EXPECT_NE(html.find("<script type=\"module\" src=\"/static/viewer.js\"></script>"), std::string::npos);
  EXPECT_NE(html.find("<title>"), std::string::npos);
  EXPECT_NE(html.find("href=\"/ranking/plimo?page=1&amp;sort=score\""), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("&lt;b&gt;&quot;key"), std::string::npos);
}

TEST_F(RankingSiteTest, PagesReadTheListCacheNotTheStore) {
  fAdd("plimo", "taro", 100, 2);
  const int before = mStore->mLists;
  for (int i = 0; i < 20; ++i) {
    fGet("/");
    fGet("/ranking/plimo?page=" + std::to_string(i + 1));
    fGet("/api/ranking/yoiko?sort=chain");
  }
  mService->fListBody("wanpaku");
  EXPECT_EQ(mStore->mLists - before, 3);  // once per mode, shared with the game's list
}

TEST_F(RankingSiteTest, StaticAnswersCarryCachingAndAnETagThatRevalidates) {
  fCreateDirectories("web");
  fWriteWholeFile("web/viewer.js", "console.log(1);\n");
  fWriteWholeFile("web/help.html", "<p>help</p>\n");
  const SWebAnswer answer = fGet("/static/viewer.js");
  ASSERT_EQ(answer.status, 200);
  EXPECT_EQ(answer.contentType, "text/javascript");
  EXPECT_EQ(*answer.body, "console.log(1);\n");
  EXPECT_NE(answer.headers.find("Cache-Control: public, max-age=3600\r\n"), std::string::npos);
  const std::size_t tagAt = answer.headers.find("ETag: ");
  ASSERT_NE(tagAt, std::string::npos);
  const std::string etag = answer.headers.substr(tagAt + 6, answer.headers.find("\r\n", tagAt) - tagAt - 6);
  const SWebAnswer again = fGet("/static/viewer.js", etag);
  EXPECT_EQ(again.status, 304);
  EXPECT_TRUE(again.body->empty());
  EXPECT_NE(again.headers.find("ETag: " + etag), std::string::npos);
  EXPECT_EQ(fGet("/static/viewer.js", "\"other\"").status, 200);
  // An HTML file is a page: the same policy.
  EXPECT_NE(fGet("/static/help.html").headers.find(kPolicy), std::string::npos);
  // Escapes are undone before the path is judged.
  for (const char* refused : {"/static/%2e%2e/ranking.sqlite", "/static/", "/static/a%00.js", "/static/%2fetc/passwd",
                              "/static/%zz"}) {
    const SWebAnswer missing = fGet(refused);
    EXPECT_EQ(missing.status, 404) << refused;
    EXPECT_EQ(missing.headers.find("ETag"), std::string::npos) << refused;
  }
  const SWebAnswer wrong = CRankingSite::fWrongMethod(*fParseWebTarget("/static/viewer.js"));
  EXPECT_EQ(wrong.status, 405);
  EXPECT_NE(wrong.headers.find("Allow: GET, HEAD\r\n"), std::string::npos);
}

}  // namespace
