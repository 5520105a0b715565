// The best game of one mode, as kept in "dat/score.dat".
#pragma once

#include <string>

#include "persist/CSerializable.h"

class CHighScoreInfo : public CSerializable {
 public:
  CHighScoreInfo() = default;
  CHighScoreInfo(int score, int maxRensa, bool isRegistered)
      : score(score), maxRensa(maxRensa), isRegistered(isRegistered) {}

  static std::string fClassName() { return "GameMenu.CHighScoreInfo"; }
  std::string fGetClassName() const override { return fClassName(); }
  // The field order is the file format.
  void fDescribe(Serializer& s);

  int score = 0;
  int maxRensa = 0;             // the longest chain of the game that set score
  bool isRegistered = false;    // accepted by the ranking server
};
