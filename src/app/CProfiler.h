// Measures how long named stretches of code take, in milliseconds of the
// game library's clock; off until toggled on. Its report is printed at exit.
#pragma once

#include <map>
#include <string>

class CProfiler {
 public:
  struct CCheckPoint {
    int callCount = 0;
    int startTime = 0;
    int totalTime = 0;
  };

  virtual ~CProfiler() = default;
  virtual void fToggle() { enabled = !enabled; }
  virtual void fMeasureStart(const std::string& name);
  virtual void fMeasureEnd(const std::string& name);
  // "name: call(2) total(40) average(20)" for every checkpoint, by name.
  virtual std::string fGetReport() const;

  bool fIsEnabled() const { return enabled; }

 private:
  std::map<std::string, CCheckPoint> checkPoints;
  bool enabled = false;
};
