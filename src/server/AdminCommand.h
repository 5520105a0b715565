// "plimoball-ranking-server admin": an operator's look at the store and the
// means to take an entry out of the ranking (a cheat, an offensive name)
// and put it back, without SQL. Every process serving the store sees the
// change at once (the store tells them).
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kAdminUsage =
    "usage: plimoball-ranking-server admin --db PATH|postgresql://... COMMAND\n"
    "  find NAME|KEY            entries with that name or replay key, listed or set aside\n"
    "  set-aside KEY REASON     take the entry out of every list and page (kept in the store)\n"
    "  restore KEY              list a set-aside entry again\n";

// The arguments after "admin"; the exit status (0 done, 1 store failure or
// nothing found, 2 bad command line).
int fRankingAdminMain(const std::vector<std::string>& arguments);
