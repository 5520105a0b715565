// A PostgreSQL server of the test's own: initdb and pg_ctl from Debian's
// postgresql package in a temporary folder, on a free local port, started
// on first use and removed when the test process ends. Nothing outside the
// folder changes. As root, it runs as the postgres user (initdb refuses root).
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

class CThrowawayPostgres {
 public:
  static CThrowawayPostgres& fInstance();
  ~CThrowawayPostgres();
  CThrowawayPostgres(const CThrowawayPostgres&) = delete;
  CThrowawayPostgres& operator=(const CThrowawayPostgres&) = delete;

  // A new empty database; its postgresql:// URI.
  std::string fNewDatabase();

  // The database server frozen (SIGSTOP to the postmaster and every one of
  // its processes) as a hung machine would be, and thawed again.
  void fFreeze();
  void fThaw();
  // Stopped and started again: every connection to it is cut.
  void fRestart();

 private:
  CThrowawayPostgres();
  std::string fRun(const std::string& command) const;
  // The postmaster first, then its children.
  std::vector<pid_t> fProcesses() const;

  std::string mFolder;
  std::string mBin;
  std::string mAsUser;  // "runuser -u postgres -- " as root, else empty
  int mPort = 0;
  int mDatabases = 0;
};

// Where a test's store lives: "sqlite" gives a file in the working
// directory, "postgres" a fresh database in the throw-away server.
std::string fTestStoreLocation(const std::string& kind);
