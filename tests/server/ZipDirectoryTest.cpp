#include "server/ZipDirectory.h"

#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "replay/ReplayFormat.h"
#include "replay/ReplayZip.h"
#include "rules/StageModes.h"
#include "server/ZipBomb.h"

namespace {

std::string fFixture(const std::string& name) { return fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/" + name); }

void fPut32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
}

TEST(ZipDirectoryTest, RealReplaysAreOfTheirOwnModeOnly) {
  const std::vector<std::string> fixtures = {"plimo_seed123.zip", "yoiko_seed456.zip", "wanpaku_seed789.zip"};
  for (int archive = 0; archive < kModeCount; ++archive) {
    const std::string bytes = fFixture(fixtures[static_cast<std::size_t>(archive)]);
    for (int mode = 0; mode < kModeCount; ++mode) {
      EXPECT_EQ(fLooksLikeReplayOfMode(bytes, mode), archive == mode) << fixtures[static_cast<std::size_t>(archive)] << " as " << mode;
    }
    // The directory agrees with libzip's reading of the same bytes.
    const auto entries = fReadZipDirectory(bytes);
    const auto members = fReadZipMembers(bytes, "test");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
      EXPECT_EQ((*entries)[i].name, members[i].mName);
      EXPECT_EQ((*entries)[i].size, members[i].mBytes.size());
    }
  }
  // A debug save holds the same game under other names: not for the ranking.
  const std::string debug = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/../fuzz/corpus/ReplayArchive/wanpaku_debug_100_frames.zip");
  EXPECT_TRUE(fReadZipDirectory(debug));
  EXPECT_FALSE(fLooksLikeReplayOfMode(debug, 2));
}

TEST(ZipDirectoryTest, ArchivesOutsideThePlainFormOrTheCapsAreRefusedFromTheirDirectory) {
  const std::string good = fFixture("plimo_seed123.zip");
  const std::size_t end = good.size() - 22;
  ASSERT_TRUE(fReadZipDirectory(good));
  // A comment is fine; bytes after the end record that no comment covers are not.
  std::string commented = good;
  commented[end + 20] = 3;
  EXPECT_TRUE(fLooksLikeReplayOfMode(commented + "abc", 0));
  EXPECT_FALSE(fReadZipDirectory(good + "abc"));
  // Cut anywhere: no end record, or one pointing past the bytes.
  for (std::size_t size : {std::size_t{0}, std::size_t{10}, good.size() / 2, good.size() - 1}) {
    EXPECT_FALSE(fReadZipDirectory(good.substr(0, size))) << size;
  }
  EXPECT_FALSE(fReadZipDirectory("PK\x05\x06 not an archive"));
  // A ZIP64 marker in the end record.
  std::string zip64 = good;
  fPut32(zip64, end + 16, 0xffffffffu);
  EXPECT_FALSE(fReadZipDirectory(zip64));
  // A directory entry pointing its member outside the bytes.
  const std::size_t directoryAt = static_cast<unsigned char>(good[end + 16]) |
                                  static_cast<std::size_t>(static_cast<unsigned char>(good[end + 17])) << 8 |
                                  static_cast<std::size_t>(static_cast<unsigned char>(good[end + 18])) << 16;
  std::string farOff = good;
  fPut32(farOff, directoryAt + 42, static_cast<std::uint32_t>(good.size()));
  EXPECT_FALSE(fReadZipDirectory(farOff));
  // An encrypted member.
  std::string encrypted = good;
  encrypted[directoryAt + 8] = 1;
  EXPECT_FALSE(fReadZipDirectory(encrypted));

  // The caps: members, and declared sizes one by one and together.
  SZipDirectoryCaps caps;
  caps.maxMembers = 1;
  EXPECT_FALSE(fReadZipDirectory(good, caps));
  caps = {};
  const auto entries = fReadZipDirectory(good);
  caps.maxMemberBytes = (*entries)[0].size - 1;
  EXPECT_FALSE(fReadZipDirectory(good, caps));
  caps = {};
  caps.maxTotalBytes = (*entries)[0].size + (*entries)[1].size - 1;
  EXPECT_FALSE(fReadZipDirectory(good, caps));

  // More members than a replay has.
  std::vector<SArchiveMember> three = {{fKeyLogMemberName(0, false), std::string(112, 'k')},
                                       {fSeedMemberName(0, false), "seed"},
                                       {"dat/replay_plimo/extra", "x"}};
  EXPECT_TRUE(fReadZipDirectory(fPackZip(three)));
  EXPECT_FALSE(fLooksLikeReplayOfMode(fPackZip(three), 0));
  three.pop_back();
  EXPECT_TRUE(fLooksLikeReplayOfMode(fPackZip(three), 0));
}

// The test archives for the zip bomb: the deflate stream made by hand
// inflates to exactly its zeros, and the ZIP around it is sound.
TEST(ZipDirectoryTest, TheHandMadeBombInflatesToItsZeros) {
  const std::uint64_t copies = 1000;
  const std::uint64_t size = 1 + 258 * copies;
  const std::string zip = fZipOfDeflatedKeyLog(fDeflatedZeros(copies), static_cast<std::uint32_t>(size), fCrcOfZeros(size));
  const auto members = fReadZipMembers(zip, "test");
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].mBytes, std::string(size, '\0'));
  EXPECT_EQ(members[1].mBytes, std::string("\x01\x00\x00\x00", 4));
  EXPECT_TRUE(fLooksLikeReplayOfMode(zip, 0));
  // At full size: under 4 MiB packed, about 4 GiB inflated.
  const std::uint64_t bombCopies = (4'290'000'000ull - 1) / 258;
  const std::string bomb = fDeflatedZeros(bombCopies);
  EXPECT_LT(bomb.size(), 4'160'000u);
  EXPECT_GT(1 + 258 * bombCopies, 4'289'000'000ull);
}

}  // namespace
