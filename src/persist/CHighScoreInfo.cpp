#include "persist/CHighScoreInfo.h"

#include "persist/Serializer.h"

void CHighScoreInfo::fDescribe(Serializer& s) {
  s.describe(score);
  s.describe(maxRensa);
  s.describe(isRegistered);
}
