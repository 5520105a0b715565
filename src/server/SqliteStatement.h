// SQLite statements and transactions for the store: values are always
// bound, never pasted into SQL, and a failure is a CGameError.
#pragma once

#include <sqlite3.h>

#include <string>

#include "util/Assert.h"

namespace sqlite_store {

// One prepared statement; values are always bound, never pasted into SQL.
class CStatement {
 public:
  CStatement(sqlite3* database, const char* sql) : mDatabase(database) {
    if (sqlite3_prepare_v2(database, sql, -1, &mStatement, nullptr) != SQLITE_OK) fFail("prepare");
  }
  ~CStatement() { sqlite3_finalize(mStatement); }
  CStatement(const CStatement&) = delete;
  CStatement& operator=(const CStatement&) = delete;

  CStatement& fBind(int index, const std::string& text) {
    fCheck(sqlite3_bind_text(mStatement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  CStatement& fBind(int index, long long value) {
    fCheck(sqlite3_bind_int64(mStatement, index, value));
    return *this;
  }
  // Empty text binds NULL.
  CStatement& fBindOrNull(int index, const std::string& text) {
    if (text.empty()) {
      fCheck(sqlite3_bind_null(mStatement, index));
      return *this;
    }
    return fBind(index, text);
  }
  CStatement& fBindBlob(int index, const std::string& bytes) {
    fCheck(sqlite3_bind_blob64(mStatement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is there; false when done.
  bool fStep() {
    const int status = sqlite3_step(mStatement);
    if (status == SQLITE_ROW) return true;
    if (status == SQLITE_DONE) return false;
    fFail("run");
  }
  // Runs to completion; the status, so callers can tell a broken constraint.
  int fRun() {
    int status;
    while ((status = sqlite3_step(mStatement)) == SQLITE_ROW) {
    }
    return status;
  }
  long long fInt(int column) const { return sqlite3_column_int64(mStatement, column); }
  bool fIsNull(int column) const { return sqlite3_column_type(mStatement, column) == SQLITE_NULL; }
  std::string fText(int column) const {
    const auto* text = sqlite3_column_blob(mStatement, column);
    const int size = sqlite3_column_bytes(mStatement, column);
    return text == nullptr ? std::string() : std::string(static_cast<const char*>(text), static_cast<std::size_t>(size));
  }

 private:
  void fCheck(int status) {
    if (status != SQLITE_OK) fFail("bind a value to");
  }
  [[noreturn]] void fFail(const char* what) {
    throw CGameError(std::string("ranking database: cannot ") + what + " a statement: " + sqlite3_errmsg(mDatabase));
  }

  sqlite3* mDatabase;
  sqlite3_stmt* mStatement = nullptr;
};

// Rolls back unless committed, so a failed step leaves nothing half-done.
class CTransaction {
 public:
  explicit CTransaction(sqlite3* database) : mDatabase(database) {
    CStatement begin(database, "BEGIN IMMEDIATE");
    if (begin.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(database));
  }
  ~CTransaction() {
    if (!mCommitted) CStatement(mDatabase, "ROLLBACK").fRun();
  }
  CTransaction(const CTransaction&) = delete;
  CTransaction& operator=(const CTransaction&) = delete;
  void fCommit() {
    CStatement commit(mDatabase, "COMMIT");
    if (commit.fRun() != SQLITE_DONE) throw CGameError(std::string("ranking database: ") + sqlite3_errmsg(mDatabase));
    mCommitted = true;
  }

 private:
  sqlite3* mDatabase;
  bool mCommitted = false;
};


}  // namespace sqlite_store
