#include "gamelib/StdoutSilencer.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

CStdoutSilencer::CStdoutSilencer() {
  std::fflush(stdout);
  mSavedStdout = dup(STDOUT_FILENO);
  const int nowhere = open("/dev/null", O_WRONLY);
  if (mSavedStdout < 0 || nowhere < 0) {
    if (nowhere >= 0) close(nowhere);
    return;  // then the chatter stays visible; nothing is lost
  }
  dup2(nowhere, STDOUT_FILENO);
  close(nowhere);
}

CStdoutSilencer::~CStdoutSilencer() {
  if (mSavedStdout < 0) return;
  std::fflush(stdout);
  dup2(mSavedStdout, STDOUT_FILENO);
  close(mSavedStdout);
}
