#include <gtest/gtest.h>

#include "online/RankingClient.h"
#include "online/SRankingData.h"

namespace {

SHttpResponse fOk(const std::string& body) { return SHttpResponse{200, body}; }

TEST(RankingListTest, OneFiveFieldLineWithItsNewlineIsOneEntry) {
  const auto entries = fParseRankingList("taro?1200?3?00000a1b2c3d4e5f?2024/05/06 07:08:09\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].rank, 0);
  EXPECT_EQ(entries[0].name, "taro");
  EXPECT_EQ(entries[0].score, 1200);
  EXPECT_EQ(entries[0].maxRensa, 3);
  EXPECT_EQ(entries[0].replayName, "00000a1b2c3d4e5f");
  EXPECT_EQ(entries[0].date, "2024/05/06 07:08:09");
}

TEST(RankingListTest, LinesThatCannotBeReadAreSkippedAndTheRestKeepTheirOrder) {
  const auto entries = fParseRankingList(
      "b?900?2?k1?d1\n"
      "c?lots?2?k2?d2\n"      // score is not a number
      "d?800?2x?k3?d3\n"      // nor is this chain
      "e?+700?1?k4?d4\n"      // a sign is not a digit
      "f?700?1?k5\n"          // four fields
      "g?600?1?k6?d6?extra\n" // six fields
      "h?99999999999?1?k7?d7\n"  // beyond 32 bits
      "\n"
      "i?-5?0?k8?d8\n"
      "j?100?4?k9?d9");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "b");
  EXPECT_EQ(entries[1].name, "i");
  EXPECT_EQ(entries[1].score, -5);
  EXPECT_EQ(entries[2].name, "j");  // the last line needs no newline
  EXPECT_EQ(entries[2].maxRensa, 4);
}

TEST(RankingListTest, DigitsAreGroupedFromTheRight) {
  EXPECT_EQ(fGroupDigits(3, "1234567"), "1,234,567");
  EXPECT_EQ(fGroupDigits(3, "123"), "123");
  EXPECT_EQ(fGroupDigits(3, "1234"), "1,234");
  EXPECT_EQ(fGroupDigits(3, "123456"), "123,456");
  EXPECT_EQ(fGroupDigits(3, "0"), "0");
  EXPECT_EQ(fGroupDigits(3, ""), "");
  EXPECT_EQ(fGroupDigits(2, "12345"), "1,23,45");
  EXPECT_EQ(fGroupDigits(4, "12345678"), "1234,5678");
}

TEST(RankingListTest, TheListAnswerTellsWhatToShow) {
  const auto listed = fReadRankingListResponse(fOk("a?10?1?k?d\nb?5?1?k2?d\n"));
  EXPECT_TRUE(listed.fIsListed());
  EXPECT_EQ(listed.entries.size(), 2u);
  EXPECT_TRUE(listed.message.empty());

  // A four-field first line means no data, even with good lines after it.
  const auto fourFields = fReadRankingListResponse(fOk("a?10?1?k\nb?5?1?k2?d\n"));
  EXPECT_EQ(fourFields.outcome, SRankingListResult::EOutcome::NoData);
  EXPECT_EQ(fourFields.message, "ランキングデータが登録されていません");
  EXPECT_TRUE(fourFields.entries.empty());

  // The server's empty ranking, and a list of which nothing can be read:
  // nothing to page through, so no window.
  EXPECT_EQ(fReadRankingListResponse(fOk("")).outcome, SRankingListResult::EOutcome::NoData);
  EXPECT_EQ(fReadRankingListResponse(fOk("a?x?1?k?d\n")).outcome, SRankingListResult::EOutcome::NoData);
}

TEST(RankingListTest, NoAnswerOrAnHttpErrorIsAFailedConnection) {
  for (const SHttpResponse& response : {SHttpResponse{0, ""}, SHttpResponse{404, "a?10?1?k?d\n"},
                                        SHttpResponse{500, ""}, SHttpResponse{302, "a?10?1?k?d\n"}}) {
    const auto result = fReadRankingListResponse(response);
    EXPECT_EQ(result.outcome, SRankingListResult::EOutcome::ConnectionFailed) << response.status;
    EXPECT_EQ(result.message, "ランキングサーバとの接続に失敗しました");
    EXPECT_TRUE(result.entries.empty());
  }
}

TEST(RankingListTest, UploadAnswersOnlySucceedWithOneRank) {
  EXPECT_EQ(fParseUploadAnswer("UploadSuccess?7"), 7);
  EXPECT_EQ(fParseUploadAnswer("UploadSuccess?1"), 1);
  for (const char* answer : {"UploadSuccess", "UploadSuccess?1?2", "UploadSuccess?", "UploadSuccess?x",
                             "UploadSuccess?-3", "UploadSuccess?+3", "UploadSuccess?0", "UploadSuccess? 3",
                             "UploadSuccess?3\n", "UploadFailed?7", "uploadsuccess?7", "",
                             "UploadSuccess?99999999999"}) {
    EXPECT_FALSE(fParseUploadAnswer(answer).has_value()) << answer;
  }
}

}  // namespace
