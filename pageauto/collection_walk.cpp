#include "pageauto/collection_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pageauto {

int32_t CollectionLength(const platform::ComObject& collection) {
  const double length = std::trunc(collection.GetNumber("length"));
  return static_cast<int32_t>(std::clamp<double>(length, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

platform::ComObject WalkCollection(
    const platform::ComObject& collection,
    const std::function<bool(const platform::ComObject& item, int32_t position)>& examine) {
  const int32_t count = CollectionLength(collection);
  for (int64_t i = 1; i <= count; ++i) {
    platform::ComObject item = collection.CallObject("item", {static_cast<double>(i - 1)});
    if (examine(item, static_cast<int32_t>(i))) return item;
  }
  return {};
}

}  // namespace pageauto
