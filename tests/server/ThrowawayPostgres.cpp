#include "server/ThrowawayPostgres.h"

#include <libpq-fe.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "gamelib/FileSystem.h"
#include "support/RunCommand.h"

namespace {

int fFreePort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

std::string fPostgresBin() {
  namespace fs = std::filesystem;
  const fs::path root = "/usr/lib/postgresql";
  std::error_code error;
  for (const auto& version : fs::directory_iterator(root, error)) {
    if (fs::exists(version.path() / "bin" / "initdb")) return (version.path() / "bin").string();
  }
  throw std::runtime_error("no PostgreSQL server programs under /usr/lib/postgresql (Debian package postgresql)");
}

}  // namespace

CThrowawayPostgres& CThrowawayPostgres::fInstance() {
  static CThrowawayPostgres instance;
  return instance;
}

std::string CThrowawayPostgres::fRun(const std::string& command) const {
  const SCommandRun run = fRunCommand(command);
  if (run.status != 0) throw std::runtime_error(command + " failed: " + run.output);
  return run.output;
}

CThrowawayPostgres::CThrowawayPostgres() {
  mBin = fPostgresBin();
  char folder[] = "/tmp/plimo-pg-XXXXXX";
  if (::mkdtemp(folder) == nullptr) throw std::runtime_error("cannot make a folder for PostgreSQL");
  mFolder = folder;
  if (::geteuid() == 0) {
    fRun("chown postgres:postgres " + mFolder);
    mAsUser = "runuser -u postgres -- ";
  }
  mPort = fFreePort();
  const std::string data = mFolder + "/data";
  fRun(mAsUser + mBin + "/initdb -D " + data + " -U plimo -A trust --no-sync -E UTF8 --no-locale");
  // fsync off: the tests kill our server, never PostgreSQL or the machine.
  fRun(mAsUser + mBin + "/pg_ctl -D " + data + " -l " + mFolder + "/log -w -t 60 -o \"-p " + std::to_string(mPort) +
       " -k " + mFolder + " -c listen_addresses=127.0.0.1 -c fsync=off\" start");
}

CThrowawayPostgres::~CThrowawayPostgres() {
  try {
    fRun(mAsUser + mBin + "/pg_ctl -D " + mFolder + "/data -m immediate -w stop");
  } catch (const std::exception&) {
  }
  std::error_code ignored;
  std::filesystem::remove_all(mFolder, ignored);
}

std::string CThrowawayPostgres::fNewDatabase() {
  const std::string server = "postgresql://plimo@127.0.0.1:" + std::to_string(mPort) + "/";
  const std::string name = "ranking" + std::to_string(++mDatabases);
  PGconn* connection = PQconnectdb((server + "postgres").c_str());
  PGresult* result = PQexec(connection, ("CREATE DATABASE " + name).c_str());
  const bool made = PQresultStatus(result) == PGRES_COMMAND_OK;
  const std::string why = PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
  if (!made) throw std::runtime_error("cannot make a test database: " + why);
  return server + name;
}

std::vector<pid_t> CThrowawayPostgres::fProcesses() const {
  std::ifstream pidFile(mFolder + "/data/postmaster.pid");
  pid_t postmaster = 0;
  if (!(pidFile >> postmaster) || postmaster <= 0) throw std::runtime_error("the test's PostgreSQL is not running");
  std::vector<pid_t> processes{postmaster};
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    pid_t parent = 0;
    if (rest >> state >> parent && parent == postmaster) processes.push_back(std::stoi(name));
  }
  return processes;
}

void CThrowawayPostgres::fFreeze() {
  for (const pid_t pid : fProcesses()) ::kill(pid, SIGSTOP);
}

void CThrowawayPostgres::fThaw() {
  for (const pid_t pid : fProcesses()) ::kill(pid, SIGCONT);
}

void CThrowawayPostgres::fRestart() {
  fRun(mAsUser + mBin + "/pg_ctl -D " + mFolder + "/data -l " + mFolder + "/log -w -t 60 -m fast restart");
}

std::string fTestStoreLocation(const std::string& kind) {
  if (kind == "postgres") return CThrowawayPostgres::fInstance().fNewDatabase();
  return fAbsolutePath("ranking.db");
}
