// The store and the verifier as the server uses them, with every call
// timed and counted for /metrics: wrappers around the real ones.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <type_traits>

#include "server/CMetrics.h"
#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"

class CMeasuredStore : public IRankingStore {
 public:
  CMeasuredStore(IRankingStore& inner, CMetrics& metrics) : mInner(inner), mMetrics(metrics) {}

  std::vector<SRankingEntry> fList(const std::string& mode) const override {
    return fTimed("list", [&] { return mInner.fList(mode); });
  }
  std::vector<SRankingEntry> fRows(const std::string& mode, ERankingSort sort, long long offset,
                                   std::size_t count) const override {
    return fTimed("rows", [&] { return mInner.fRows(mode, sort, offset, count); });
  }
  std::vector<SRankingEntry> fRowsAfter(const std::string& mode, ERankingSort sort, const SRowKey& after, bool forward,
                                        std::size_t count, long long skip) const override {
    return fTimed("rows_after", [&] { return mInner.fRowsAfter(mode, sort, after, forward, count, skip); });
  }
  long long fCount(const std::string& mode) const override {
    return fTimed("count", [&] { return mInner.fCount(mode); });
  }
  std::vector<SPlacedEntry> fByName(const std::string& mode, const std::string& name, std::size_t count) const override {
    return fTimed("by_name", [&] { return mInner.fByName(mode, name, count); });
  }
  std::unique_ptr<IStoreWatch> fWatch() const override { return mInner.fWatch(); }
  bool fHasArchive(const std::string& archiveHash) const override {
    return fTimed("has_archive", [&] { return mInner.fHasArchive(archiveHash); });
  }
  std::optional<SAddedEntry> fAdd(const SNewRankingEntry& entry) override {
    return fTimed("add", [&] { return mInner.fAdd(entry); });
  }
  std::optional<std::string> fArchive(const std::string& mode, const std::string& replayKey) const override {
    return fTimed("archive", [&] { return mInner.fArchive(mode, replayKey); });
  }
  void fPing() const override {
    fTimed("ping", [&] {
      mInner.fPing();
      return 0;
    });
  }
  std::optional<SStoredGame> fFindGame(const std::string& gameId, const std::string& openingId) const override {
    return fTimed("find_game", [&] { return mInner.fFindGame(gameId, openingId); });
  }
  std::vector<SUnnamedEntry> fUnnamedEntries(long long afterId, std::size_t count) const override {
    return mInner.fUnnamedEntries(afterId, count);
  }
  SNaming fNameEntry(long long id, const std::string& gameId, const std::string& openingId) override {
    return mInner.fNameEntry(id, gameId, openingId);
  }
  void fMarkUnplayable(long long id, const std::string& reason) override { mInner.fMarkUnplayable(id, reason); }
  std::optional<std::int32_t> fDailySeed(const std::string& day, const std::string& mode) const override {
    return fTimed("daily_seed", [&] { return mInner.fDailySeed(day, mode); });
  }
  std::int32_t fKeepDailySeed(const std::string& day, const std::string& mode, std::int32_t drawn) override {
    return fTimed("keep_daily_seed", [&] { return mInner.fKeepDailySeed(day, mode, drawn); });
  }
  SBestAdded fAddBest(const SNewRankingEntry& entry, const std::string& replacedReason) override {
    return fTimed("add_best", [&] { return mInner.fAddBest(entry, replacedReason); });
  }
  std::vector<SRankingEntry> fFind(const std::string& name, const std::string& replayKey) const override {
    return mInner.fFind(name, replayKey);
  }
  bool fSetAside(const std::string& replayKey, const std::string& reason) override {
    return mInner.fSetAside(replayKey, reason);
  }
  bool fRestore(const std::string& replayKey) override { return mInner.fRestore(replayKey); }

 private:
  template <typename TCall>
  std::invoke_result_t<TCall> fTimed(const char* call, TCall&& run) const {
    const auto start = std::chrono::steady_clock::now();
    const std::string label = CMetrics::fLabel("call", call);
    try {
      auto result = run();
      fDone(label, "ok", start);
      return result;
    } catch (...) {
      fDone(label, "failed", start);
      throw;
    }
  }
  void fDone(const std::string& label, const char* result, std::chrono::steady_clock::time_point start) const {
    mMetrics.fObserve("plimo_store_call_duration_seconds", label,
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    mMetrics.fCount("plimo_store_calls_total", label + "," + CMetrics::fLabel("result", result));
  }

  IRankingStore& mInner;
  CMetrics& mMetrics;
};

class CMeasuredVerifier : public IReplayVerifier {
 public:
  CMeasuredVerifier(IReplayVerifier& inner, CMetrics& metrics) : mInner(inner), mMetrics(metrics) {}

  SVerifyOutcome fVerify(const std::string& archive) override {
    ++mInFlight;
    const auto start = std::chrono::steady_clock::now();
    const SVerifyOutcome outcome = mInner.fVerify(archive);
    --mInFlight;
    mMetrics.fObserve("plimo_check_duration_seconds", "",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    mMetrics.fCount("plimo_checks_total", CMetrics::fLabel("outcome", fOutcomeName(outcome.kind)));
    return outcome;
  }
  void fRefuseQueued() override { mInner.fRefuseQueued(); }
  void fAbortRunning() override { mInner.fAbortRunning(); }
  // Checks asked for and not yet answered: running or waiting for a worker.
  int fInFlight() const { return mInFlight; }

 private:
  static const char* fOutcomeName(SVerifyOutcome::EKind kind) {
    switch (kind) {
      case SVerifyOutcome::EKind::Checked: return "checked";
      case SVerifyOutcome::EKind::Unplayable: return "unplayable";
      case SVerifyOutcome::EKind::Failed: return "failed";
      case SVerifyOutcome::EKind::Stopped: return "stopped";
    }
    return "failed";
  }

  IReplayVerifier& mInner;
  CMetrics& mMetrics;
  std::atomic<int> mInFlight{0};
};
