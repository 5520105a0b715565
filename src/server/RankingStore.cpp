#include <cstdio>

#include "server/CPostgresRankingStore.h"
#include "server/CSqliteRankingStore.h"
#include "server/IRankingStore.h"

bool fIsPostgresLocation(const std::string& location) {
  return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::unique_ptr<IRankingStore> fOpenRankingStore(const std::string& location, SStoreTimeouts timeouts) {
  if (fIsPostgresLocation(location)) return std::make_unique<CPostgresRankingStore>(location, timeouts);
  return std::make_unique<CSqliteRankingStore>(location, timeouts.statement, timeouts.connections);
}

std::string fMakeReplayKey(long long id, const std::string& archiveHash) {
  char number[8];
  std::snprintf(number, sizeof number, "%06llx", static_cast<unsigned long long>(id) & 0xffffffull);
  return std::string(number) + archiveHash.substr(0, 10);
}
