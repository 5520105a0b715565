// The real server program as its own process, for tests that signal it,
// freeze what it depends on or read its memory from outside.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CServerProgram {
 public:
  // Starts the program on a free port with the store and the extra
  // arguments; its output goes to `output`. fPort() is 0 when it did not
  // come up within a minute. With `until`, it waits for that text in the
  // output instead (a start-up step), and fPort() stays 0.
  CServerProgram(const std::string& store, const std::string& output, const std::vector<std::string>& extra,
                 const std::string& until = {});
  // Kills it when it still runs.
  ~CServerProgram();
  CServerProgram(const CServerProgram&) = delete;
  CServerProgram& operator=(const CServerProgram&) = delete;

  int fPort() const { return mPort; }
  pid_t fPid() const { return mPid; }
  std::string fScriptUrl(const std::string& mode) const;
  void fSignal(int signal) const;
  // Waits for the end; the exit status, or -1 when it did not end in time
  // or ended by a signal.
  int fWaitExit(int milliseconds);
  // A field of /proc/PID/status in KiB ("VmRSS", "VmHWM"); 0 when gone.
  long fStatusKib(const std::string& field) const;
  // Its children that still run: the verifier workers.
  std::vector<pid_t> fChildren() const;
  std::string fOutput() const;

 private:
  std::string mOutput;
  pid_t mPid = 0;
  int mPort = 0;
};

// A request sent whole on a new connection and the whole answer, with the
// milliseconds it took.
struct STimedAnswer {
  std::string text;
  double ms = 0;
  std::string fStatus() const { return text.substr(0, 12); }
  std::string fBody() const;
};
STimedAnswer fTimedExchange(int port, const std::string& request);
// "POST /cgi-bin/...ranking_MODE.cgi?ARGUMENTS" with the body, closing.
std::string fScriptRequest(const std::string& mode, const std::string& arguments, const std::string& body = {});
