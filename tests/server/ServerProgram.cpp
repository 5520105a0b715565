#include "server/ServerProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"

extern char** environ;

CServerProgram::CServerProgram(const std::string& store, const std::string& output,
                               const std::vector<std::string>& extra, const std::string& until)
    : mOutput(output) {
  std::vector<std::string> arguments = {kServerExecutable, "--listen", "127.0.0.1:0", "--db", store};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) mPid = 0;
  posix_spawn_file_actions_destroy(&actions);
  const std::string prefix = "plimoball-ranking-server listening on 127.0.0.1:";
  for (int attempt = 0; attempt < 1200 && mPort == 0 && mPid > 0; ++attempt) {
    const std::string text = fOutput();
    if (!until.empty()) {
      if (text.find(until) != std::string::npos) break;
      ::usleep(10'000);
      continue;
    }
    const std::size_t found = text.find(prefix);
    if (found != std::string::npos && text.find('\n', found) != std::string::npos) {
      mPort = std::stoi(text.substr(found + prefix.size()));
    }
    if (mPort == 0) ::usleep(50'000);
  }
}

CServerProgram::~CServerProgram() {
  if (mPid > 0) {
    ::kill(mPid, SIGKILL);
    ::waitpid(mPid, nullptr, 0);
  }
}

std::string CServerProgram::fScriptUrl(const std::string& mode) const {
  return "http://127.0.0.1:" + std::to_string(mPort) + "/cgi-bin/plimoball100//ranking_" + mode + ".cgi?";
}

void CServerProgram::fSignal(int signal) const {
  if (mPid > 0) ::kill(mPid, signal);
}

int CServerProgram::fWaitExit(int milliseconds) {
  for (int waited = 0; mPid > 0; waited += 10) {
    int status = 0;
    const pid_t ended = ::waitpid(mPid, &status, WNOHANG);
    if (ended == mPid) {
      mPid = 0;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (waited >= milliseconds) return -1;
    ::usleep(10'000);
  }
  return -1;
}

long CServerProgram::fStatusKib(const std::string& field) const {
  std::ifstream status("/proc/" + std::to_string(mPid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return 0;
}

std::vector<pid_t> CServerProgram::fChildren() const {
  std::vector<pid_t> children;
  for (const auto& process : std::filesystem::directory_iterator("/proc")) {
    const std::string entry = process.path().filename().string();
    if (entry.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat("/proc/" + entry + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    pid_t parent = 0;
    if (rest >> state >> parent && parent == mPid && state != "Z") children.push_back(std::stoi(entry));
  }
  return children;
}

std::string CServerProgram::fOutput() const { return fFileExists(mOutput) ? fReadWholeFile(mOutput) : std::string(); }

std::string STimedAnswer::fBody() const {
  const std::size_t end = text.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : text.substr(end + 4);
}

STimedAnswer fTimedExchange(int port, const std::string& request) {
  const auto start = std::chrono::steady_clock::now();
  STimedAnswer answer;
  answer.text = fRawHttpExchange(port, request);
  answer.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return answer;
}

std::string fScriptRequest(const std::string& mode, const std::string& arguments, const std::string& body) {
  return "POST /cgi-bin/plimoball100//ranking_" + mode + ".cgi?" + arguments + " HTTP/1.1\r\nHost: x\r\n" +
         "Connection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
