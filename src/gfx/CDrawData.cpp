#include "gfx/CDrawData.h"

#include "util/Assert.h"

std::shared_ptr<CDrawData> CDrawData::fClone() const {
  auto clone = std::make_shared<CDrawData>();
  fCopyTo(*clone);
  return clone;
}

std::shared_ptr<CDrawData> fMakeCDrawData(int graph) {
  auto item = std::make_shared<CDrawData>();
  item->data = fMakeDrawData(graph);
  return item;
}
