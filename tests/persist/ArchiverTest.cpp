#include "persist/CArchiver.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <map>

#include "support/HeadlessTest.h"
#include "util/Assert.h"

namespace {

using SNamedBytes = std::pair<std::string, std::string>;

// Built with libzip directly, so hostile archives need nothing from us.
std::string fMakeZip(const std::vector<SNamedBytes>& members, zip_int32_t method = ZIP_CM_DEFLATE) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
  zip_source_keep(target);
  for (const auto& [name, bytes] : members) {
    zip_source_t* data = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_RAW);
    EXPECT_GE(index, 0) << name << ": " << zip_strerror(archive);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0);
  }
  EXPECT_EQ(zip_close(archive), 0);
  zip_stat_t stat;
  zip_source_stat(target, &stat);
  std::string bytes(stat.size, '\0');
  zip_source_open(target);
  zip_source_read(target, bytes.data(), bytes.size());
  zip_source_close(target);
  zip_source_free(target);
  return bytes;
}

// Makes the first member claim another unpacked size, in both headers.
std::string fWithDeclaredSize(std::string zip, std::uint32_t size) {
  auto put = [&](std::size_t at) {
    for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>((size >> (8 * i)) & 0xff);
  };
  const std::size_t local = zip.find("PK\x03\x04");
  const std::size_t central = zip.find("PK\x01\x02");
  EXPECT_EQ(local, 0u);
  EXPECT_NE(central, std::string::npos);
  put(local + 22);
  put(central + 24);
  return zip;
}

struct SZipEntry {
  std::string name;
  std::uint16_t method;
  std::string bytes;
};

std::vector<SZipEntry> fOpenWithLibzip(const std::string& path) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  EXPECT_NE(archive, nullptr);
  std::vector<SZipEntry> entries;
  if (archive == nullptr) return entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    std::string bytes(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    entries.push_back({stat.name, stat.comp_method, bytes});
  }
  zip_discard(archive);
  return entries;
}

// Every file under the working directory with its bytes.
std::map<std::string, std::string> fTree(const std::string& directory = ".") {
  std::map<std::string, std::string> files;
  for (const std::string& name : fListDirectory(directory)) {
    const std::string path = directory + "/" + name;
    if (fDirectoryExists(path)) {
      files.merge(fTree(path));
    } else {
      files[path] = fReadWholeFile(path);
    }
  }
  return files;
}

std::string fKeyLog(int frames) {
  std::string bytes;
  for (int frame = 0; frame < frames; ++frame) {
    for (int key = 0; key < 28; ++key) bytes += std::string(1, static_cast<char>((frame + key) % 7 == 0)) + std::string(3, '\0');
  }
  return bytes;
}

class ArchiverTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
  }

  // The archive must be refused by both readers, with nothing written.
  static void fExpectRefused(const std::string& zip, const std::string& inMessage) {
    fWriteWholeFile("hostile.zip", zip);
    const auto before = fTree();
    try {
      CArchiver::fExtract("hostile.zip");
      ADD_FAILURE() << "extracted a hostile archive";
    } catch (const CGameError& error) {
      EXPECT_NE(std::string(error.what()).find(inMessage), std::string::npos) << error.what();
    }
    EXPECT_EQ(fTree(), before);
    EXPECT_THROW(CArchiver::fReadMembers("hostile.zip"), CGameError);
  }
};

const std::string kKeyPath = "dat/replay_yoiko/replay_key.dat";
const std::string kSeedPath = "dat/replay_yoiko/replay.dat";
const std::string kArchivePath = "dat/replay_yoiko/replay";

TEST_F(ArchiverTest, ArchiveHoldsDeflatedMembersNamedByTheirPaths) {
  const std::string keys = fKeyLog(300);
  const std::string seed("\x7b\0\0\0", 4);
  fWriteWholeFile(kKeyPath, keys);
  fWriteWholeFile(kSeedPath, seed);
  CArchiver::fArchive({kKeyPath, kSeedPath}, kArchivePath, true);

  EXPECT_FALSE(fFileExists(kKeyPath));
  EXPECT_FALSE(fFileExists(kSeedPath));
  const auto entries = fOpenWithLibzip(kArchivePath);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, kKeyPath);
  EXPECT_EQ(entries[1].name, kSeedPath);
  EXPECT_EQ(entries[0].method, ZIP_CM_DEFLATE);
  EXPECT_EQ(entries[1].method, ZIP_CM_DEFLATE);
  EXPECT_EQ(entries[0].bytes, keys);
  EXPECT_EQ(entries[1].bytes, seed);

  CArchiver::fExtract(kArchivePath);
  EXPECT_EQ(fReadWholeFile(kKeyPath), keys);
  EXPECT_EQ(fReadWholeFile(kSeedPath), seed);
  EXPECT_TRUE(fFileExists(kArchivePath));
}

TEST_F(ArchiverTest, SourcesStayWhenNotToBeDeletedAndPackingRepeats) {
  fWriteWholeFile(kKeyPath, fKeyLog(3));
  fWriteWholeFile(kSeedPath, std::string(4, '\x01'));
  CArchiver::fArchive({kSeedPath, kKeyPath}, kArchivePath, false);
  EXPECT_TRUE(fFileExists(kKeyPath));
  EXPECT_TRUE(fFileExists(kSeedPath));
  const std::string first = fReadWholeFile(kArchivePath);
  CArchiver::fArchive({kSeedPath, kKeyPath}, kArchivePath, false);
  EXPECT_EQ(fReadWholeFile(kArchivePath), first);
  EXPECT_EQ(fOpenWithLibzip(kArchivePath)[0].name, kSeedPath);
}

TEST_F(ArchiverTest, MissingSourceLosesNothing) {
  fWriteWholeFile(kKeyPath, fKeyLog(2));
  EXPECT_THROW(CArchiver::fArchive({kKeyPath, kSeedPath}, kArchivePath, true), CGameError);
  EXPECT_TRUE(fFileExists(kKeyPath));
  EXPECT_FALSE(fFileExists(kArchivePath));
}

TEST_F(ArchiverTest, MembersCanBeReadWithoutWritingAnything) {
  const std::string zip = fMakeZip({{"dat/downloaded_replay_wanpaku/replay.dat", "seed"},
                                    {"dat/downloaded_replay_wanpaku/replay_key.dat", ""},
                                    {"dat/replay_plimo/replay_key.dat", fKeyLog(10)}});
  fWriteWholeFile("download.zip", zip);
  const auto before = fTree();
  const auto members = CArchiver::fReadMembers("download.zip");
  EXPECT_EQ(fTree(), before);
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].mName, "dat/downloaded_replay_wanpaku/replay.dat");
  EXPECT_EQ(members[0].mBytes, "seed");
  EXPECT_EQ(members[1].mBytes, "");
  EXPECT_EQ(members[2].mBytes, fKeyLog(10));
  EXPECT_EQ(CArchiver::fReadMembersFromBytes(zip, "upload").size(), 3u);
}

TEST_F(ArchiverTest, StoredMembersAreReadToo) {
  fWriteWholeFile("stored.zip", fMakeZip({{kSeedPath, "1234"}}, ZIP_CM_STORE));
  CArchiver::fExtract("stored.zip");
  EXPECT_EQ(fReadWholeFile(kSeedPath), "1234");
}

TEST_F(ArchiverTest, MembersOutsideTheReplayFoldersAreRefused) {
  const std::vector<SNamedBytes> hostile = {
      {"/tmp/plimo-evil", "absolute path"},
      {"../evil", "\"..\""},
      {"dat/replay_plimo/../../evil", "\"..\""},
      {"dat/replay_plimo/..", "\"..\""},
      {"dat\\replay_plimo\\replay.dat", "backslash"},
      {"dat/replay_plimo\\x", "backslash"},
      {"replay.dat", "not a file directly inside a replay folder"},
      {"dat/score.dat", "not a file directly inside a replay folder"},
      {"dat/replay_other/replay.dat", "not a file directly inside a replay folder"},
      {"dat/replay_plimo/", "not a file directly inside a replay folder"},
      {"dat/replay_plimo/sub/replay.dat", "not a file directly inside a replay folder"},
      {"dat/replay_plimo/.", "not a file directly inside a replay folder"},
      {"dat/downloaded_replay_yoikoo/x", "not a file directly inside a replay folder"},
      {"dat/replay_plimo/a\nb", "control character"},
  };
  for (const auto& [name, why] : hostile) {
    SCOPED_TRACE(name);
    // A harmless member first: it must not be written either.
    fExpectRefused(fMakeZip({{kSeedPath, "good"}, {name, "bad"}}), why);
    EXPECT_FALSE(CArchiver::fIsAllowedMemberName(name));
  }
  EXPECT_TRUE(CArchiver::fIsAllowedMemberName("dat/downloaded_replay_plimo/20240101_1.zip"));
}

TEST_F(ArchiverTest, MemberTwiceIsRefused) {
  std::string zip = fMakeZip({{"dat/replay_plimo/replay.daa", "one"}, {"dat/replay_plimo/replay.dat", "two"}});
  // libzip will not write two equal names: make them equal afterwards.
  const std::size_t at = zip.find("replay.daa");
  zip[at + 9] = 't';
  zip[zip.find("replay.daa") + 9] = 't';
  // libzip itself already refuses to open it; either way nothing is written.
  fExpectRefused(zip, "hostile.zip cannot be used");
}

TEST_F(ArchiverTest, WhatIsNotAZipIsRefused) {
  const std::string good = fMakeZip({{kSeedPath, std::string(1000, 'x')}});
  fExpectRefused("", "holds no files");
  fExpectRefused("PlimoBall replay, honest", "not a readable ZIP");
  fExpectRefused(good.substr(0, good.size() / 2), "not a readable ZIP");
  EXPECT_THROW(CArchiver::fExtract("no-such.zip"), CGameError);
}

TEST_F(ArchiverTest, DamagedMemberDataIsRefused) {
  std::string zip = fMakeZip({{kSeedPath, std::string(5000, 'x') + "tail"}});
  // Flip a byte inside the deflated data (just past the 30-byte header and name).
  zip[30 + kSeedPath.size() + 4] ^= 0x55;
  fExpectRefused(zip, "damaged");
}

TEST_F(ArchiverTest, MoreThanTheUnpackLimitIsRefused) {
  const std::uint32_t tooMuch = static_cast<std::uint32_t>(CArchiver::kMaxUnpackedBytes) + 1;
  const std::string small = fMakeZip({{kSeedPath, "1234"}});
  // Declared too large: refused before inflating.
  fExpectRefused(fWithDeclaredSize(small, tooMuch), "would unpack to more than 64 MiB");
  // Together too large.
  const std::string half(CArchiver::kMaxUnpackedBytes / 2 + 1, '\0');
  fExpectRefused(fMakeZip({{kSeedPath, half}, {kKeyPath, half}}), "would unpack to more than 64 MiB");
  // Declared small but inflating to more: stopped while inflating.
  const std::string bomb = fMakeZip({{kKeyPath, std::string(tooMuch, '\0')}});
  fExpectRefused(fWithDeclaredSize(bomb, 16), "it unpacks to more than 64 MiB");
}

TEST_F(ArchiverTest, MissingFolderIsFoundBeforeWriting) {
  fRemoveTree("dat/replay_wanpaku");
  fWriteWholeFile("two.zip", fMakeZip({{kSeedPath, "good"}, {"dat/replay_wanpaku/replay.dat", "lost"}}));
  const auto before = fTree();
  EXPECT_THROW(CArchiver::fExtract("two.zip"), CGameError);
  EXPECT_EQ(fTree(), before);
}

}  // namespace
