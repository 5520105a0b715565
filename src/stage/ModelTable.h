// The table of loaded models, by name ("plimo_red", "plimo_red_h", "waku",
// ...). Every model a stage places is a duplicate of one of these. Each stage
// loads its own at construction, so two stages (or two game libraries, as
// when a replay is checked inside a running game) never share handles.
#pragma once

#include <map>
#include <string>

class CModelTable {
 public:
  // Loads every stage model from "dat/<name>.mqo", first freeing any earlier
  // load. With symbols, the balls come from their "_s" files (each colour's
  // symbol on it), under the same names.
  void fLoadAll(bool symbols = false);
  void fReleaseAll();
  // The loaded handle; a name that was not loaded is a programming error.
  int fGet(const std::string& name) const;
  // A fresh copy of a loaded model.
  int fDuplicate(const std::string& name) const;
  bool fIsLoaded() const { return !mModels.empty(); }

 private:
  std::map<std::string, int> mModels;
};

// "plimo_" + colour name, with "_h" for the highlighted look.
std::string fBallModelName(int colour, bool highlighted);
// The ball's 2D picture (hold and next boxes, help): "ui_parts/plimoball_" +
// colour name, with "_s" for the one carrying its symbol.
std::string fBallPictureName(int colour, bool symbols);
