#include "server/AdminCommand.h"

#include <cstdio>
#include <filesystem>

#include "server/IRankingStore.h"
#include "util/Assert.h"

namespace {

int fUsage(const char* problem) {
  std::fprintf(stderr, "plimoball-ranking-server admin: %s\n%s", problem, kAdminUsage);
  return 2;
}

void fPrint(const SRankingEntry& entry) {
  std::printf("%s %s %-8s %8d %2d %s\n", entry.mode.c_str(), entry.replayKey.c_str(), entry.name.c_str(), entry.score,
              entry.maxRensa, entry.date.c_str());
}

}  // namespace

int fRankingAdminMain(const std::vector<std::string>& arguments) {
  if (arguments.size() < 3 || arguments[0] != "--db") return fUsage("--db and a command are needed");
  const std::string location = fIsPostgresLocation(arguments[1])
                                   ? arguments[1]
                                   : std::filesystem::absolute(arguments[1]).string();
  const std::string& command = arguments[2];
  const std::vector<std::string> rest(arguments.begin() + 3, arguments.end());
  if (command == "find" ? rest.size() != 1
      : command == "set-aside" ? rest.size() != 2
      : command == "restore" ? rest.size() != 1
                             : true) {
    return fUsage(("unknown command or wrong arguments: " + command).c_str());
  }
  try {
    // An operator's file must exist: a typo never makes a new database.
    if (!fIsPostgresLocation(location) && !std::filesystem::exists(location)) {
      throw CGameError("no ranking database at " + location);
    }
    const auto store = fOpenRankingStore(location);
    if (command == "find") {
      const auto found = store->fFind(rest[0], rest[0]);
      for (const SRankingEntry& entry : found) fPrint(entry);
      if (found.empty()) std::fprintf(stderr, "no entry has the name or key \"%s\"\n", rest[0].c_str());
      return found.empty() ? 1 : 0;
    }
    if (command == "set-aside") {
      if (rest[1].empty()) return fUsage("a reason is needed, for the log and for whoever restores it");
      const auto found = store->fFind("", rest[0]);
      if (!store->fSetAside(rest[0], rest[1])) {
        std::fprintf(stderr, "no listed entry has the key %s\n", rest[0].c_str());
        return 1;
      }
      std::printf("set aside: ");
      if (!found.empty()) fPrint(found.front());
      std::printf("reason: %s\n", rest[1].c_str());
      return 0;
    }
    if (!store->fRestore(rest[0])) {
      std::fprintf(stderr, "no set-aside entry has the key %s\n", rest[0].c_str());
      return 1;
    }
    std::printf("restored: %s\n", rest[0].c_str());
    for (const SRankingEntry& entry : store->fFind("", rest[0])) fPrint(entry);
    return 0;
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball-ranking-server admin: %s\n", error.what());
    return 1;
  }
}
