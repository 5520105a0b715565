#include "app/SceneFactory.h"

#include <utility>

namespace {
SceneMaker gTitleMenuStandIn;
}

std::unique_ptr<CScene> fMakeTitleScene() { return fNewTitleScene(); }

std::unique_ptr<CScene> fMakeTitleMenuScene() {
  return gTitleMenuStandIn ? gTitleMenuStandIn() : fNewTitleMenuScene();
}

SceneMaker fReplaceTitleMenuScene(SceneMaker maker) {
  std::swap(gTitleMenuStandIn, maker);
  return maker;
}
