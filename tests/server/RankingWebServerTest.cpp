#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"
#include "server/ServerOptions.h"
#include "server/Sha256.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"

extern char** environ;

namespace {

struct SRawAnswer {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  std::string rest;  // what followed this answer on the connection
};

// One answer off the front of the bytes, framed by its Content-Length.
SRawAnswer fReadAnswer(const std::string& bytes, bool headOnly = false) {
  SRawAnswer answer;
  const std::size_t headEnd = bytes.find("\r\n\r\n");
  if (bytes.compare(0, 9, "HTTP/1.1 ") != 0 || headEnd == std::string::npos) return answer;
  answer.status = std::stoi(bytes.substr(9, 3));
  std::size_t line = bytes.find("\r\n") + 2;
  while (line < headEnd) {
    const std::size_t end = bytes.find("\r\n", line);
    const std::size_t colon = bytes.find(':', line);
    std::string name = bytes.substr(line, colon - line);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    answer.headers[name] = bytes.substr(colon + 2, end - colon - 2);
    line = end + 2;
  }
  const auto length = answer.headers.find("content-length");
  const std::size_t size = length == answer.headers.end() || headOnly ? 0 : std::stoul(length->second);
  answer.body = bytes.substr(headEnd + 4, size);
  answer.rest = bytes.substr(std::min(bytes.size(), headEnd + 4 + size));
  return answer;
}

SRawAnswer fFetch(int port, const std::string& target, const std::string& method = "GET",
                  const std::string& headers = {}) {
  return fReadAnswer(fRawHttpExchange(port, method + " " + target + " HTTP/1.1\r\nHost: x\r\n" + headers +
                                                "Connection: close\r\n\r\n"),
                     method == "HEAD");
}

const std::string kPolicyStart = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval';";

class RankingWebServerTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fCreateDirectories("web");
    fWriteWholeFile("web/viewer.js", "import './lib/rules.mjs';\n");
  }

  void fAddEntries(IRankingStore& store) {
    int added = 0;
    for (const std::string name : {"taro", "<img/src=x/onerror=alert(1)>", "a&b", "bel"}) {
      SNewRankingEntry entry;
      entry.mode = "plimo";
      entry.name = name;
      entry.score = 5000 - 100 * added;
      entry.maxRensa = ++added;
      entry.date = "2024/05/06 07:08:09";
      entry.archive = "archive " + name;
      entry.archiveHash = fSha256Hex(entry.archive);
      ASSERT_TRUE(store.fAdd(entry));
    }
  }

  std::vector<std::string> fLogLines() {
    std::lock_guard lock(mLogMutex);
    return mLog;
  }

  SHarnessOptions fOptions() {
    SHarnessOptions options;
    options.webRoot = fAbsolutePath("web");
    options.log = [this](const std::string& line) {
      std::lock_guard lock(mLogMutex);
      mLog.push_back(line);
    };
    return options;
  }

  std::mutex mLogMutex;
  std::vector<std::string> mLog;
};

TEST_F(RankingWebServerTest, TheSiteIsServedOverHttpBesideTheGamesScripts) {
  CRunningRankingServer server(fAbsolutePath("ranking.sqlite"), fOptions());
  fAddEntries(server.fDatabase());
  const int port = server.fPort();

  SRawAnswer front = fFetch(port, "/");
  EXPECT_EQ(front.status, 200);
  EXPECT_EQ(front.headers["content-type"], "text/html; charset=utf-8");
  EXPECT_EQ(front.headers["content-security-policy"].compare(0, kPolicyStart.size(), kPolicyStart), 0);
  EXPECT_EQ(front.headers["x-content-type-options"], "nosniff");
  EXPECT_NE(front.body.find("taro"), std::string::npos);

  SRawAnswer ranking = fFetch(port, "/ranking/plimo?sort=chain");
  EXPECT_EQ(ranking.status, 200);
  EXPECT_LT(ranking.body.find("bel"), ranking.body.find("taro"));  // the longest chain came last
  EXPECT_NE(ranking.body.find("&lt;img/src=x/onerror=alert(1)&gt;"), std::string::npos);

  SRawAnswer api = fFetch(port, "/api/ranking/plimo");
  EXPECT_EQ(api.headers["content-type"], "application/json");
  const std::string apiStart = "{\"mode\":\"plimo\",\"sort\":\"score\",\"page\":1,\"pages\":1,\"total\":4,";
  EXPECT_EQ(api.body.compare(0, apiStart.size(), apiStart), 0) << api.body;
  const std::size_t keyAt = api.body.find("\"key\":\"") + 7;
  const std::string key = api.body.substr(keyAt, api.body.find('"', keyAt) - keyAt);

  SRawAnswer watch = fFetch(port, "/watch/plimo/" + key);
  EXPECT_EQ(watch.status, 200);
  EXPECT_NE(watch.body.find("<main id=\"viewer\"></main>"), std::string::npos);

  SRawAnswer script = fFetch(port, "/static/viewer.js");
  EXPECT_EQ(script.body, "import './lib/rules.mjs';\n");
  EXPECT_EQ(script.headers["content-type"], "text/javascript");
  EXPECT_EQ(script.headers["cache-control"], "public, max-age=3600");

  SRawAnswer head = fFetch(port, "/ranking/plimo?sort=chain", "HEAD");
  EXPECT_EQ(head.headers["content-length"], std::to_string(ranking.body.size()));
  SRawAnswer posted = fFetch(port, "/ranking/plimo", "POST", "Content-Length: 0\r\n");
  EXPECT_EQ(posted.status, 405);
  EXPECT_EQ(posted.headers["allow"], "GET, HEAD");
  EXPECT_EQ(fFetch(port, "/ranking/plimo?page=zero").status, 400);
  EXPECT_EQ(fFetch(port, "/static/missing.js").status, 404);

  // One line each, with the kind and the mode.
  const auto lines = fLogLines();
  for (const char* part : {" page - 200 ", " page plimo 200 ", " api plimo 200 ", " static - 200 ", " static - 404 ",
                           " method plimo 405 ", " page plimo 400 "}) {
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; }))
        << part;
  }
}

TEST_F(RankingWebServerTest, ANotModifiedAnswerHasNoBodyAndTheConnectionGoesOn) {
  CRunningRankingServer server(fAbsolutePath("ranking.sqlite"), fOptions());
  SRawAnswer first = fFetch(server.fPort(), "/static/viewer.js");
  const std::string etag = first.headers["etag"];
  ASSERT_FALSE(etag.empty());
  // Revalidated, then another request on the same connection: the 304 must
  // not leave the client waiting for a body.
  const std::string both = fRawHttpExchange(
      server.fPort(), "GET /static/viewer.js HTTP/1.1\r\nHost: x\r\nIf-None-Match: " + etag +
                          "\r\n\r\nGET /static/viewer.js HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  SRawAnswer revalidated = fReadAnswer(both);
  EXPECT_EQ(revalidated.status, 304);
  EXPECT_EQ(revalidated.headers["etag"], etag);
  EXPECT_EQ(revalidated.headers["cache-control"], "public, max-age=3600");
  EXPECT_EQ(revalidated.headers.count("content-length"), 0u);
  SRawAnswer next = fReadAnswer(revalidated.rest);
  EXPECT_EQ(next.status, 200);
  EXPECT_EQ(next.body, "import './lib/rules.mjs';\n");
  EXPECT_TRUE(next.rest.empty());

}

// The installed program on its own: the site's stylesheet copied beside it
// by the build, and --web-root in its place.
TEST_F(RankingWebServerTest, TheProgramServesTheWebFolderBesideItOrTheOneNamed) {
  const auto fRun = [&](std::vector<std::string> extra, const std::string& target) {
    std::vector<std::string> arguments = {kServerExecutable, "--listen", "127.0.0.1:0", "--db",
                                          fAbsolutePath("ranking.sqlite"), "--workers", "1"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string output = fAbsolutePath("server.out");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const std::string prefix = "listening on 127.0.0.1:";
    int port = 0;
    for (int attempt = 0; attempt < 600 && port == 0; ++attempt) {
      const std::string text = fFileExists(output) ? fReadWholeFile(output) : std::string();
      const std::size_t found = text.find(prefix);
      if (found != std::string::npos && text.find('\n', found) != std::string::npos) {
        port = std::stoi(text.substr(found + prefix.size()));
      }
      if (port == 0) ::usleep(50'000);
    }
    SRawAnswer answer = port != 0 ? fFetch(port, target) : SRawAnswer{};
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return answer;
  };
  const std::string sourceCss =
      fReadWholeFile(std::filesystem::path(PLIMO_FIXTURE_DIR).parent_path().parent_path() / "src/server/site/site.css");
  SRawAnswer beside = fRun({}, "/static/site.css");
  EXPECT_EQ(beside.status, 200);
  EXPECT_EQ(beside.headers["content-type"], "text/css");
  EXPECT_EQ(beside.body, sourceCss);
  SRawAnswer named = fRun({"--web-root", "web"}, "/static/viewer.js");
  EXPECT_EQ(named.status, 200);
  EXPECT_EQ(named.body, "import './lib/rules.mjs';\n");
}

TEST(RankingWebOptionsTest, TheWebRootIsAnOptionWithAValue) {
  EXPECT_EQ(fParseServerOptions({"--db", "r.db"}).webRoot, "");
  EXPECT_EQ(fParseServerOptions({"--db", "r.db", "--web-root", "/srv/web"}).webRoot, "/srv/web");
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--web-root"}), CGameError);
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--web-root", ""}), CGameError);
  EXPECT_NE(std::string(kServerUsage).find("--web-root DIR"), std::string::npos);
}

}  // namespace
