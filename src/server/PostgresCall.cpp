#include "server/PostgresCall.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace postgres_store {


// The deadline of the store call running on this thread: every statement
// of the call waits on it. The schema's set-up has none.
thread_local Clock::time_point tDeadline = Clock::time_point::max();


std::string fErrorText(PGconn* connection) {
  std::string message = PQerrorMessage(connection);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return message;
}

[[noreturn]] void fFail(PGconn* connection, const char* what) {
  throw CGameError(std::string("ranking database: cannot ") + what + ": " + fErrorText(connection));
}

[[noreturn]] void fTimedOut(const char* what) {
  throw CGameError(std::string("ranking database: no answer in time to ") + what);
}

// Waits until the connection's socket can be read (or written), or the
// deadline passes: false then.
bool fWaitSocket(PGconn* connection, bool forWriting, Clock::time_point deadline) {
  pollfd entry{PQsocket(connection), static_cast<short>(POLLIN | (forWriting ? POLLOUT : 0)), 0};
  if (entry.fd < 0) return true;  // libpq reports the broken connection itself
  for (;;) {
    int wait = -1;
    if (deadline != Clock::time_point::max()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      wait = static_cast<int>(std::min<long long>(left, 60'000));
    }
    const int ready = ::poll(&entry, 1, wait);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return true;  // the next libpq call reports it
  }
}

// Runs a statement with text or binary parameters and checks that it
// worked; binaryResult asks for raw bytes back. Waits at most until the
// call's deadline: the connection is then left mid-statement, and the call
// drops it.
CResult fRunRaw(PGconn* connection, const char* sql, int count, const char* const* data, const int* lengths,
                const int* formats, bool binaryResult, bool checked) {
  if (PQsendQueryParams(connection, sql, count, nullptr, data, lengths, formats, binaryResult ? 1 : 0) == 0) {
    fFail(connection, "send a statement");
  }
  // A large archive may not fit the socket's buffer at once.
  for (;;) {
    const int flushed = PQflush(connection);
    if (flushed == 0) break;
    if (flushed < 0) fFail(connection, "send a statement");
    if (!fWaitSocket(connection, true, tDeadline)) fTimedOut("a statement");
    if (PQconsumeInput(connection) == 0) fFail(connection, "read an answer");
  }
  PGresult* last = nullptr;
  for (;;) {
    while (PQisBusy(connection) != 0) {
      if (!fWaitSocket(connection, false, tDeadline)) {
        PQclear(last);
        fTimedOut("a statement");
      }
      if (PQconsumeInput(connection) == 0) {
        PQclear(last);
        fFail(connection, "read an answer");
      }
    }
    PGresult* next = PQgetResult(connection);
    if (next == nullptr) break;
    PQclear(last);
    last = next;
  }
  if (last == nullptr) fFail(connection, "run a statement");
  CResult result(last);
  const ExecStatusType status = PQresultStatus(result.fGet());
  if (checked && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fFail(connection, "run a statement");
  return result;
}

CResult fRun(PGconn* connection, const char* sql, std::initializer_list<const std::string*> values,
             bool binaryResult) {
  std::vector<const char*> data;
  // Text parameters end with the zero byte std::string always has.
  for (const std::string* value : values) data.push_back(value->c_str());
  return fRunRaw(connection, sql, static_cast<int>(data.size()), data.data(), nullptr, nullptr, binaryResult);
}

// Connects without blocking, within the timeout.
PGconn* fConnect(const std::string& uri, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = std::min(tDeadline, Clock::now() + timeout);
  PGconn* connection = PQconnectStart(uri.c_str());
  if (connection == nullptr) throw CGameError("ranking database: out of memory connecting to PostgreSQL");
  try {
    PostgresPollingStatusType polling = PGRES_POLLING_WRITING;
    while (PQstatus(connection) != CONNECTION_BAD && polling != PGRES_POLLING_OK) {
      if (polling == PGRES_POLLING_FAILED) break;
      if (!fWaitSocket(connection, polling == PGRES_POLLING_WRITING, deadline)) fTimedOut("connect to PostgreSQL");
      polling = PQconnectPoll(connection);
    }
    if (PQstatus(connection) != CONNECTION_OK) fFail(connection, "connect to PostgreSQL");
    if (PQsetnonblocking(connection, 1) != 0) fFail(connection, "connect to PostgreSQL");
  } catch (...) {
    PQfinish(connection);
    throw;
  }
  return connection;
}

bool fIsUniqueViolation(PGresult* result) {
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  return state != nullptr && std::string(state) == "23505";
}

}  // namespace postgres_store
