// A shell command line run to its end, with what it wrote (standard error
// included) and its exit status: for tests that drive a program or a tool.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct SCommandRun {
  int status = -1;  // the exit status; -1 when it could not run or died by a signal
  std::string output;
};

inline SCommandRun fRunCommand(const std::string& command) {
  SCommandRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  std::size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, count);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
