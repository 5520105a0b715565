// A store call's hold on a PostgreSQL connection, shared by the store's
// source files.
#pragma once

#include <libpq-fe.h>

#include "server/CPostgresRankingStore.h"
#include "server/PostgresCall.h"

namespace postgres_store {
// The connection the store call on this thread holds.
extern thread_local CConnectionPool<pg_conn>::SSlot* tSlot;
}  // namespace postgres_store

// Takes a pool connection (or the health check's own) within the call's
// deadline, and drops it when the call ends with it mid-statement or
// mid-transaction (timed out, lost, or failed inside a transaction): the
// server rolls that back.
class CPostgresRankingStore::CCall {
 public:
  enum class EUse { Timed, Untimed, Health };
  explicit CCall(const CPostgresRankingStore& store, EUse use = EUse::Timed) : mStore(store), mUse(use) {
    postgres_store::tDeadline = use == EUse::Untimed ? postgres_store::Clock::time_point::max() : postgres_store::Clock::now() + store.mTimeouts.statement;
    if (use == EUse::Health) {
      if (!store.mHealthMutex.try_lock_until(postgres_store::tDeadline)) postgres_store::fTimedOut("wait for the health check's connection");
      postgres_store::tSlot = &store.mHealthSlot;
      return;
    }
    postgres_store::tSlot = store.mPool.fTake(postgres_store::tDeadline);
    if (postgres_store::tSlot == nullptr) postgres_store::fTimedOut("wait for a connection");
  }
  ~CCall() {
    PGconn*& connection = postgres_store::tSlot->connection;
    if (connection != nullptr &&
        (PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE)) {
      PQfinish(connection);
      connection = nullptr;
    }
    if (mUse == EUse::Health) {
      mStore.mHealthMutex.unlock();
    } else {
      mStore.mPool.fGive(postgres_store::tSlot);
    }
    postgres_store::tSlot = nullptr;
    postgres_store::tDeadline = postgres_store::Clock::time_point::max();
  }
  CCall(const CCall&) = delete;
  CCall& operator=(const CCall&) = delete;

 private:
  const CPostgresRankingStore& mStore;
  EUse mUse;
};

