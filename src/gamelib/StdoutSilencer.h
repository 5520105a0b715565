// Sends the process's standard output to nowhere while it lives, so a tool
// that prints one result line is not mixed with the game's chatter.
#pragma once

class CStdoutSilencer {
 public:
  CStdoutSilencer();
  ~CStdoutSilencer();
  CStdoutSilencer(const CStdoutSilencer&) = delete;
  CStdoutSilencer& operator=(const CStdoutSilencer&) = delete;

 private:
  int mSavedStdout = -1;
};
