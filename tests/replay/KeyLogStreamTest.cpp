// Reading an archive packs its key log as it is inflated. That must change
// nothing a replay sees: the same key bytes as inflating it whole, and the
// same refusal, word for word, for every archive that is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayFormat.h"
#include "replay/ReplayZip.h"
#include "rules/RulesTestKit.h"
#include "util/Assert.h"

namespace {

const char* const kFixtures[] = {"plimo_seed123.zip", "yoiko_seed456.zip", "wanpaku_seed789.zip",
                                 "plimo_seed123_past_end.zip"};

// The check's answer, or its refusal's text.
std::string fOutcome(const std::function<SCheckedReplay()>& check) {
  try {
    const SCheckedReplay checked = check();
    return "mode " + std::to_string(checked.mode) + (checked.isDebug ? " debug" : "") + " seed " +
           std::to_string(checked.seed) + " frames " + std::to_string(checked.frames) + " keys " +
           std::to_string(std::hash<std::string>()(checked.keyLog.fBytes())) + " packed " +
           std::to_string(checked.keyLog.fIsPacked()) + " seed member " + checked.seedArchive;
  } catch (const CGameError& error) {
    return std::string("refused: ") + error.what();
  }
}

// The check as it was: every member inflated whole, then packed.
std::string fWholeOutcome(const std::string& zip, const std::string& label) {
  return fOutcome([&] { return fCheckReplayMembers(fReadZipMembers(zip, label), label); });
}

std::string fStreamedOutcome(const std::string& zip, const std::string& label) {
  return fOutcome([&] { return fCheckReplayArchive(zip, label); });
}

TEST(ReplayKeyLogStream, FixtureKeyLogsComeInPiecesAndPackToTheWholeBytes) {
  for (const char* fixture : kFixtures) {
    SCOPED_TRACE(fixture);
    const std::string zip = rules_test_kit::fFixtureBytes(fixture);
    const std::vector<SArchiveMember> whole = fReadZipMembers(zip, fixture);

    std::map<std::string, CCompactLog::CBuilder> builders;
    std::size_t pieces = 0, largest = 0;
    const std::vector<SArchiveMember> streamed = fReadZipMembers(zip, fixture, [&](const std::string& name) {
      if (!fIsKeyLogMemberName(name)) return FMemberSink();
      return FMemberSink([&, name](const char* bytes, std::size_t size) {
        ++pieces;
        largest = std::max(largest, size);
        builders[name].fAppend(bytes, size);
      });
    });

    ASSERT_EQ(streamed.size(), whole.size());
    ASSERT_EQ(builders.size(), 1u);
    for (std::size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(streamed[i].mName, whole[i].mName);
      if (fIsKeyLogMemberName(whole[i].mName)) {
        EXPECT_TRUE(streamed[i].mBytes.empty());  // never held as bytes
        const CCompactLog log = builders[whole[i].mName].fFinish();
        EXPECT_TRUE(log.fIsPacked());
        EXPECT_EQ(log.fBytes(), whole[i].mBytes);
        EXPECT_TRUE(log == CCompactLog(whole[i].mBytes));
        // Megabytes of key log, in pieces of at most 64 KiB.
        EXPECT_GT(whole[i].mBytes.size(), 1'000'000u);
        EXPECT_LE(largest, 64u * 1024);
        EXPECT_GE(pieces, whole[i].mBytes.size() / (64 * 1024));
      } else {
        EXPECT_EQ(streamed[i].mBytes, whole[i].mBytes);
      }
    }
    EXPECT_EQ(fStreamedOutcome(zip, fixture), fWholeOutcome(zip, fixture));
  }
}

std::string fPack(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<SArchiveMember> members;
  for (const auto& [name, bytes] : files) members.push_back({name, bytes});
  return fPackZip(members);
}

std::string fIdle(std::size_t frames) { return std::string(frames * 112, '\0'); }

// Flips the stored CRC of the first member in its local and central headers.
std::string fWithBadCrc(std::string zip) {
  const std::size_t l = zip.find(std::string("PK\x03\x04", 4)), c = zip.find(std::string("PK\x01\x02", 4));
  zip[l + 14] = static_cast<char>(zip[l + 14] ^ 0x5a);
  zip[c + 16] = static_cast<char>(zip[c + 16] ^ 0x5a);
  return zip;
}

TEST(ReplayKeyLogStream, EveryArchiveGetsTheAnswerOrRefusalOfTheWholeBytes) {
  const std::string seed("\x7b\0\0\0", 4);
  std::string odd = fIdle(3);
  odd[112 + 4] = 7;  // a word that is no key state: kept as bytes
  std::string bigOdd = fIdle(2000);
  bigOdd[bigOdd.size() - 8] = 2;  // found only after many pieces were packed
  const std::string plimo = "dat/replay_plimo/", yoiko = "dat/replay_yoiko/";
  const std::vector<std::pair<std::string, std::string>> archives = {
      {"sound", fPack({{plimo + "replay_key.dat", fIdle(10) + "ab"}, {plimo + "replay.dat", seed}})},
      {"debug", fPack({{yoiko + "debug_replay.dat", seed}, {yoiko + "debug_replay_key.dat", fIdle(4)}})},
      {"odd word", fPack({{plimo + "replay_key.dat", odd}, {plimo + "replay.dat", seed}})},
      {"late odd word", fPack({{plimo + "replay_key.dat", bigOdd}, {plimo + "replay.dat", seed}})},
      {"no seed", fPack({{plimo + "replay_key.dat", fIdle(10)}})},
      {"no key log", fPack({{plimo + "replay.dat", seed}})},
      {"short seed", fPack({{plimo + "replay_key.dat", fIdle(10)}, {plimo + "replay.dat", seed.substr(0, 3)}})},
      {"no whole frame", fPack({{plimo + "replay_key.dat", std::string(111, '\0')}, {plimo + "replay.dat", seed}})},
      {"empty key log", fPack({{plimo + "replay_key.dat", ""}, {plimo + "replay.dat", seed}})},
      {"two key logs", fPack({{plimo + "replay_key.dat", fIdle(2)}, {yoiko + "replay_key.dat", fIdle(2)}})},
      {"extra member", fPack({{plimo + "replay_key.dat", fIdle(2)}, {plimo + "replay.dat", seed}, {plimo + "x", "x"}})},
      {"mixed kinds", fPack({{plimo + "replay_key.dat", fIdle(2)}, {plimo + "debug_replay.dat", seed}})},
      {"bad CRC in the key log",
       fWithBadCrc(fPack({{plimo + "replay_key.dat", fIdle(10)}, {plimo + "replay.dat", seed}}))},
      {"bad CRC in the seed",
       fWithBadCrc(fPack({{plimo + "replay.dat", seed}, {plimo + "replay_key.dat", fIdle(10)}}))},
      {"foreign name", fPack({{"dat/other/replay_key.dat", fIdle(2)}})},
      {"not a ZIP", "PK but not a replay at all"},
  };
  int refused = 0;
  for (const auto& [name, zip] : archives) {
    const std::string whole = fWholeOutcome(zip, name);
    EXPECT_EQ(fStreamedOutcome(zip, name), whole) << name;
    refused += whole.rfind("refused: ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(refused, 12);
}

}  // namespace
