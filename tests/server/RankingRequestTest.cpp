#include <gtest/gtest.h>

#include "server/RankingRequest.h"
#include "server/ServerOptions.h"
#include "server/Sha256.h"
#include "util/Assert.h"

namespace {

TEST(RankingRequestTest, TheScriptPathNamesTheMode) {
  EXPECT_EQ(fScriptMode("/cgi-bin/plimoball100//ranking_plimo.cgi"), "plimo");
  EXPECT_EQ(fScriptMode("/cgi-bin/plimoball100/ranking_wanpaku.cgi"), "wanpaku");
  EXPECT_EQ(fScriptMode("/cgi-bin/plimoball100//ranking_yoiko.cgi"), "yoiko");
  for (const char* path : {"/cgi-bin/plimoball100///ranking_plimo.cgi", "/cgi-bin/plimoball100//ranking_plimo.cgi/",
                           "/cgi-bin/plimoball100//ranking_other.cgi", "/cgi-bin/plimoball99//ranking_plimo.cgi",
                           "/ranking_plimo.cgi", "", "/cgi-bin/plimoball100//ranking_plimo.cgix"}) {
    EXPECT_FALSE(fScriptMode(path).has_value()) << path;
  }
}

TEST(RankingRequestTest, ArgumentsAreSplitAtEveryQuestionMarkThenDecoded) {
  using TArgs = std::vector<std::string>;
  EXPECT_EQ(fScriptArguments("/s.cgi?GetRankingList?"), (TArgs{"GetRankingList", ""}));
  EXPECT_EQ(fScriptArguments("/s.cgi?UploadRanking?a%26b%23%25?20600?3"), (TArgs{"UploadRanking", "a&b#%", "20600", "3"}));
  // Decoding comes after splitting: an encoded "?" stays inside its value.
  EXPECT_EQ(fScriptArguments("/s.cgi?UploadRanking?a%3Fb?1?2"), (TArgs{"UploadRanking", "a?b", "1", "2"}));
  EXPECT_EQ(fScriptArguments("/s.cgi?A+B?%2b"), (TArgs{"A+B", "+"}));
  EXPECT_EQ(fScriptArguments("/s.cgi?DownloadReplay?k#fragment"), (TArgs{"DownloadReplay", "k"}));
  EXPECT_EQ(fScriptArguments("/s.cgi?"), (TArgs{""}));
  EXPECT_FALSE(fScriptArguments("/s.cgi").has_value());
  for (const char* broken : {"/s.cgi?a%", "/s.cgi?a%4", "/s.cgi?a%zz", "/s.cgi?a%4g?b"}) {
    EXPECT_FALSE(fScriptArguments(broken).has_value()) << broken;
  }
  EXPECT_EQ(fPercentDecode("%00%ff%41"), std::string("\0\xff" "A", 3));
}

TEST(RankingRequestTest, NamesAreOneToEightPrintableAsciiBytesWithoutQuestionMarkOrBlank) {
  for (const char* name : {"a", "12345678", "a&b#%", "~!\"'<>", "A_B-C.D"}) EXPECT_TRUE(fIsValidRankingName(name)) << name;
  for (const std::string& name : {std::string(), std::string("123456789"), std::string("a b"), std::string("a?b"),
                                 std::string("a\tb"), std::string("\x7f"), std::string("\xe3\x81\x82"),
                                 std::string("a\0", 2)}) {
    EXPECT_FALSE(fIsValidRankingName(name)) << name;
  }
}

TEST(RankingRequestTest, CountsAreUnsignedDecimalsThatFitIn32Bits) {
  EXPECT_EQ(fParseCount("0"), 0);
  EXPECT_EQ(fParseCount("2147483647"), 2147483647);
  for (const char* text : {"", "-1", "+1", " 1", "1 ", "2147483648", "1e3", "0x10"}) {
    EXPECT_FALSE(fParseCount(text).has_value()) << text;
  }
}

TEST(RankingRequestTest, DatesAreUtcWithTheMostSignificantPartFirst) {
  EXPECT_EQ(fFormatUtcDate(0), "1970/01/01 00:00:00");
  EXPECT_EQ(fFormatUtcDate(1714979289), "2024/05/06 07:08:09");
  EXPECT_EQ(fFormatUtcDate(951782400), "2000/02/29 00:00:00");
}

TEST(RankingRequestTest, Sha256MatchesThePublishedVectors) {
  EXPECT_EQ(fSha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(fSha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(fSha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(fSha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Lengths around the padding boundary: 55 bytes fit one last block, 56 do not.
  EXPECT_EQ(fSha256Hex(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(fSha256Hex(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(fSha256Hex(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST(ServerOptionsTest, ListenAndDatabaseAreRead) {
  const SServerOptions options = fParseServerOptions({"--listen", "0.0.0.0:9000", "--db", "r.db"});
  EXPECT_EQ(options.host, "0.0.0.0");
  EXPECT_EQ(options.port, 9000);
  EXPECT_EQ(options.database, "r.db");
  EXPECT_FALSE(options.help);
  const SServerOptions defaults = fParseServerOptions({"--db", "r.db"});
  EXPECT_EQ(defaults.host, "127.0.0.1");
  EXPECT_EQ(defaults.port, 8080);
  EXPECT_EQ(defaults.listLimit, 1000u);
  EXPECT_EQ(defaults.limits.uploadsPerMinute, 10);
  const SServerOptions limited = fParseServerOptions({"--db", "r.db", "--list-limit", "5", "--upload-rate", "0"});
  EXPECT_EQ(limited.listLimit, 5u);
  EXPECT_EQ(limited.limits.uploadsPerMinute, 0);
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--list-limit", "0"}), CGameError);
  EXPECT_EQ(fParseServerOptions({"--listen", "[::1]:0", "--db", "r.db"}).host, "::1");
  EXPECT_TRUE(fParseServerOptions({"--help"}).help);

  const SServerOptions tuned = fParseServerOptions({"--db", "postgresql://h/db", "--workers", "3", "--deadline-ms", "250",
                                                    "--max-connections", "50", "--max-per-address", "5", "--check-ms",
                                                    "900", "--check-memory-mb", "128"});
  EXPECT_EQ(tuned.database, "postgresql://h/db");
  EXPECT_EQ(tuned.workers, 3);
  EXPECT_EQ(tuned.limits.requestDeadline, std::chrono::milliseconds(250));
  EXPECT_EQ(tuned.limits.maxConnections, 50u);
  EXPECT_EQ(tuned.limits.maxConnectionsPerAddress, 5u);
  EXPECT_EQ(tuned.checkMs, 900);
  EXPECT_EQ(tuned.checkMemoryMb, 128);

  // The stop's time and the store's timeouts.
  EXPECT_EQ(defaults.limits.stopGrace, std::chrono::milliseconds(10'000));
  EXPECT_EQ(defaults.storeTimeouts.connect, std::chrono::milliseconds(2000));
  EXPECT_EQ(defaults.storeTimeouts.statement, std::chrono::milliseconds(2000));
  const SServerOptions timed =
      fParseServerOptions({"--db", "r.db", "--stop-ms", "1500", "--db-connect-ms", "300", "--db-timeout-ms", "700"});
  EXPECT_EQ(timed.limits.stopGrace, std::chrono::milliseconds(1500));
  EXPECT_EQ(timed.storeTimeouts.connect, std::chrono::milliseconds(300));
  EXPECT_EQ(timed.storeTimeouts.statement, std::chrono::milliseconds(700));
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--stop-ms", "0"}), CGameError);
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--db-timeout-ms"}), CGameError);
}

TEST(RankingRequestTest, TheRequestLineIsReadHereWithEveryQuestionMarkKept) {
  const auto line = fParseRequestLine("POST /cgi-bin/plimoball100//ranking_plimo.cgi?UploadRanking?a&b#%?1?2 HTTP/1.1");
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->method, "POST");
  EXPECT_EQ(line->target, "/cgi-bin/plimoball100//ranking_plimo.cgi?UploadRanking?a&b#%?1?2");
  EXPECT_EQ(line->version, "HTTP/1.1");
  EXPECT_TRUE(fParseRequestLine("GET /healthz HTTP/1.0").has_value());
  for (const char* bad : {"", "GET", "GET /", "GET  / HTTP/1.1", "GET / HTTP/1.1 x", "get / HTTP/1.1", "GET x HTTP/1.1",
                          "GET / HTTP/2", "GET /a\x01b HTTP/1.1", "GET / HTTP/1.1\r", " GET / HTTP/1.1"}) {
    EXPECT_FALSE(fParseRequestLine(bad).has_value()) << bad;
  }
  EXPECT_FALSE(fParseRequestLine(std::string("GET /a\x7f HTTP/1.1")).has_value());
}

TEST(RankingRequestTest, RequestsAreRoutedByPathMethodAndFirstArgument) {
  using EKind = SRankingRoute::EKind;
  const std::string script = "/cgi-bin/plimoball100//ranking_yoiko.cgi";
  EXPECT_EQ(fRouteRequest("POST", script + "?GetRankingList?").kind, EKind::List);
  EXPECT_EQ(fRouteRequest("POST", script + "?GetRankingList").kind, EKind::List);
  EXPECT_EQ(fRouteRequest("POST", script + "?GetRankingList?x").kind, EKind::BadRequest);
  const SRankingRoute upload = fRouteRequest("POST", script + "?UploadRanking?a%26b?1?2");
  EXPECT_EQ(upload.kind, EKind::Upload);
  EXPECT_EQ(upload.mode, "yoiko");
  EXPECT_EQ(upload.arguments, (std::vector<std::string>{"UploadRanking", "a&b", "1", "2"}));
  EXPECT_EQ(fRouteRequest("POST", script + "?DownloadReplay?k").kind, EKind::Download);
  EXPECT_EQ(fRouteRequest("POST", script + "?DownloadReplay").kind, EKind::BadRequest);
  EXPECT_EQ(fRouteRequest("POST", script + "?Other?").kind, EKind::BadRequest);
  EXPECT_EQ(fRouteRequest("POST", script + "?a%zz").kind, EKind::BadRequest);
  EXPECT_EQ(fRouteRequest("POST", script).kind, EKind::BadRequest);
  EXPECT_EQ(fRouteRequest("GET", script + "?GetRankingList?").kind, EKind::WrongMethod);
  EXPECT_EQ(fRouteRequest("POST", "/cgi-bin/plimoball100//ranking_x.cgi?GetRankingList?").kind, EKind::NotFound);
  EXPECT_EQ(fRouteRequest("GET", "/healthz").kind, EKind::Health);
  EXPECT_EQ(fRouteRequest("HEAD", "/healthz?x").kind, EKind::Health);
  EXPECT_EQ(fRouteRequest("POST", "/healthz").kind, EKind::WrongMethod);
  EXPECT_STREQ(fRouteKindName(EKind::Upload), "upload");
}

TEST(ServerOptionsTest, UnusableCommandLinesAreRefused) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"--listen", "127.0.0.1:8080"}, {"--db"}, {"--db", ""},
        {"--db", "r.db", "--listen", "8080"}, {"--db", "r.db", "--listen", "h:70000"},
        {"--db", "r.db", "--listen", "h:x"}, {"--db", "r.db", "--port", "1"}, {"--db", "r.db", "--workers", "0"},
        {"--db", "r.db", "--deadline-ms", "-5"}, {"--db", "r.db", "--workers"}, {"--db", "r.db", "stray"}}) {
    EXPECT_THROW(fParseServerOptions(arguments), CGameError);
  }
}

}  // namespace
