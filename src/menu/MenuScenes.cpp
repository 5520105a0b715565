#include "app/SceneFactory.h"

#include <optional>
#include <utility>

#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"

namespace {

std::optional<CShowRankingWindow::SPlace>& fRankingToReturnTo() {
  static std::optional<CShowRankingWindow::SPlace> place;
  return place;
}

}  // namespace

void fReturnToRankingAfterReplay(std::optional<CShowRankingWindow::SPlace> place) {
  fRankingToReturnTo() = std::move(place);
}

std::unique_ptr<CScene> fNewTitleScene() { return std::make_unique<CTitle>(); }

std::unique_ptr<CScene> fNewTitleMenuScene() {
  auto menu = std::make_unique<CTitleMenu>();
  if (auto& place = fRankingToReturnTo()) {
    const CShowRankingWindow::SPlace watched = std::move(*place);
    place.reset();
    menu->fReopenRanking(watched);
  } else if (const auto daily = fTakeDailyReturn()) {
    menu->fReopenDaily(*daily);
  }
  return menu;
}
