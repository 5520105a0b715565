// Checks of different archives on several threads of one process at once
// give exactly the results of one after another: a check shares nothing.
// Built with ThreadSanitizer too (the rules tests of scripts/test.sh).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "replay/ReplayCheck.h"
#include "replay/ReplayZip.h"
#include "rules/RulesTestKit.h"

namespace {

TEST(ConcurrentCheckTest, ChecksOnFourThreadsEqualChecksOneAfterAnother) {
  std::vector<std::string> archives;
  for (const char* name : {"plimo_seed123.zip", "yoiko_seed456.zip", "wanpaku_seed789.zip"}) {
    archives.push_back(rules_test_kit::fFixtureBytes(name));
  }
  // A fourth: the plimo game cut after 20,000 frames, a different archive.
  const std::vector<SArchiveMember> members = fReadZipMembers(archives[0], "plimo");
  std::vector<SArchiveMember> cut = members;
  for (SArchiveMember& member : cut) {
    if (member.mName.find("replay_key.dat") != std::string::npos) member.mBytes.resize(20000 * 112);
  }
  archives.push_back(fPackZip(cut));

  std::vector<std::string> alone;
  for (const std::string& archive : archives) alone.push_back(fReplayCheckJson(fCheckReplayBytes(archive)));
  EXPECT_NE(alone[3], alone[0]);

  std::vector<std::string> together(archives.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < archives.size(); ++i) {
    threads.emplace_back([&, i] { together[i] = fReplayCheckJson(fCheckReplayBytes(archives[i])); });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(together, alone);
}

}  // namespace
