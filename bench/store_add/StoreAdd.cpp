// The store's part of an upload, with the check left out: COUNT entries are
// added one after another to mode plimo of a ranking store (an SQLite file
// or a postgresql:// URI) as the server adds an accepted upload, and the
// time of each add is reported as p50, p99 and the slowest. Scores are
// spread over the whole range, so the new entries land all over the order.
//
//     plimo_store_add LOCATION [COUNT]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "server/IRankingStore.h"
#include "server/Sha256.h"
#include "util/Assert.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: plimo_store_add LOCATION [COUNT]\n");
    return 2;
  }
  const int count = argc > 2 ? std::atoi(argv[2]) : 200;
  try {
    const auto store = fOpenRankingStore(argv[1]);
    std::mt19937 random(std::random_device{}());
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
      SNewRankingEntry entry;
      entry.mode = "plimo";
      entry.name = "bench";
      entry.score = static_cast<int>(random() % 50000);
      entry.maxRensa = static_cast<int>(random() % 13);
      entry.date = "2026/12/08 00:00:00";
      entry.archive = "bench " + std::to_string(random()) + " " + std::to_string(i);
      entry.archiveHash = fSha256Hex(entry.archive);
      entry.gameId = entry.archiveHash;
      entry.openingId = fSha256Hex("opening " + entry.archive);
      const auto start = std::chrono::steady_clock::now();
      if (!store->fAdd(entry)) {
        std::fprintf(stderr, "an add was refused\n");
        return 1;
      }
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    auto at = [&](double share) { return times[std::min(times.size() - 1, static_cast<std::size_t>(share * times.size()))]; };
    std::printf("p50 %.2f ms, p99 %.2f ms, slowest %.2f ms (%d adds)\n", at(0.5), at(0.99), times.back(), count);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimo_store_add: %s\n", error.what());
    return 1;
  }
  return 0;
}
