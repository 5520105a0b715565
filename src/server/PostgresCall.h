// libpq with a deadline: every statement of a store call waits on the
// call's deadline (non-blocking libpq, waited on with poll), so a database
// that stopped answering costs a call its timeout, never more.
#pragma once

#include <libpq-fe.h>

#include <chrono>
#include <initializer_list>
#include <string>

#include "util/Assert.h"

namespace postgres_store {

using Clock = std::chrono::steady_clock;

// One result, cleared when it goes out of scope.
class CResult {
 public:
  explicit CResult(PGresult* result) : mResult(result) {}
  ~CResult() { PQclear(mResult); }
  CResult(CResult&& other) noexcept : mResult(other.mResult) { other.mResult = nullptr; }
  CResult(const CResult&) = delete;
  CResult& operator=(const CResult&) = delete;
  CResult& operator=(CResult&&) = delete;
  PGresult* fGet() const { return mResult; }
  int fRows() const { return PQntuples(mResult); }
  std::string fText(int row, int column) const {
    return std::string(PQgetvalue(mResult, row, column), static_cast<std::size_t>(PQgetlength(mResult, row, column)));
  }
  int fInt(int row, int column) const { return std::stoi(fText(row, column)); }
  long long fLong(int row, int column) const { return std::stoll(fText(row, column)); }

 private:
  PGresult* mResult;
};

// The deadline of the store call running on this thread: every statement
// of the call waits on it. The schema's set-up has none.
extern thread_local Clock::time_point tDeadline;

std::string fErrorText(PGconn* connection);
[[noreturn]] void fFail(PGconn* connection, const char* what);
[[noreturn]] void fTimedOut(const char* what);
// Waits until the connection's socket can be read (or written), or the
// deadline passes: false then.
bool fWaitSocket(PGconn* connection, bool forWriting, Clock::time_point deadline);
// Runs a statement with text or binary parameters and checks that it
// worked; binaryResult asks for raw bytes back. Waits at most until the
// call's deadline: the connection is then left mid-statement, and the call
// drops it.
CResult fRunRaw(PGconn* connection, const char* sql, int count, const char* const* data, const int* lengths,
                const int* formats, bool binaryResult, bool checked = true);
CResult fRun(PGconn* connection, const char* sql, std::initializer_list<const std::string*> values,
             bool binaryResult = false);
// Connects without blocking, within the timeout.
PGconn* fConnect(const std::string& uri, std::chrono::milliseconds timeout);
bool fIsUniqueViolation(PGresult* result);

}  // namespace postgres_store
