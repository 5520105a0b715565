#include <gtest/gtest.h>

#include "online/RankingUrl.h"

namespace {

TEST(RankingUrlTest, TheThreeRequestsHaveTheirScriptsAndArguments) {
  EXPECT_EQ(fRankingListUrl("rank.example:8080", 0),
            "http://rank.example:8080/cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?");
  EXPECT_EQ(fUploadRankingUrl("h", 1, "taro", 20600, 3),
            "http://h/cgi-bin/plimoball100//ranking_yoiko.cgi?UploadRanking?taro?20600?3");
  EXPECT_EQ(fDownloadReplayUrl("h", 2, "00002a3f9c01b2d4"),
            "http://h/cgi-bin/plimoball100//ranking_wanpaku.cgi?DownloadReplay?00002a3f9c01b2d4");
}

TEST(RankingUrlTest, ValuesCannotChangeTheShapeOfTheUrl) {
  EXPECT_EQ(fEncodeUrlValue("a&b#%"), "a%26b%23%25");
  EXPECT_EQ(fEncodeUrlValue("x?y/z"), "x%3Fy%2Fz");
  EXPECT_EQ(fEncodeUrlValue("a b\t\n\r"), "a%20b%09%0A%0D");
  EXPECT_EQ(fEncodeUrlValue("\xe3\x81\x82"), "%E3%81%82");  // non-ASCII, byte by byte
  EXPECT_EQ(fEncodeUrlValue("+=;:@\"'<>\\"), "%2B%3D%3B%3A%40%22%27%3C%3E%5C");
  EXPECT_EQ(fEncodeUrlValue("Az09-._~"), "Az09-._~");
  EXPECT_EQ(fEncodeUrlValue(std::string("a\0b", 3)), "a%00b");

  const std::string url = fUploadRankingUrl("h", 0, "a?9?9#", 1, 2);
  EXPECT_EQ(url, "http://h/cgi-bin/plimoball100//ranking_plimo.cgi?UploadRanking?a%3F9%3F9%23?1?2");
}

TEST(RankingUrlDeathTest, AModeOutsideTheTableIsAProgrammingError) {
  EXPECT_DEATH(fRankingListUrl("h", 3), "");
}

}  // namespace
