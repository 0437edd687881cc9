#include "immunity/cisid.h"

namespace trova {

std::array<KnownControl, kKnownControlSlots> knownControls;

void InitKnownControls() {
  for (int i = 0; i < kKnownControlSlots; ++i) {
    auto& slot = knownControls[static_cast<std::size_t>(i)];
    if (i < kCatalogueRows) {
      const auto& row = kCatalogue[i];
      slot = KnownControl{row.category, row.name, row.clsid};
    } else {
      slot = KnownControl{};
    }
  }
}

}  // namespace trova
