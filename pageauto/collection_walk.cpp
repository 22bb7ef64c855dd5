#include "pageauto/collection_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pageauto {
namespace {

using platform::ComObject;
using platform::Text;

// Reads a member of a fetched item only when the examination asks for it.
class FetchedItem : public WalkItem {
 public:
  FetchedItem(const ComObject& item, const std::vector<Text>& members)
      : item_(item), members_(members) {}
  Text Read(std::size_t member) const override { return item_.GetText(members_.at(member)); }

 private:
  const ComObject& item_;
  const std::vector<Text>& members_;
};

// A row of members read in the page beforehand.
class PrefetchedItem : public WalkItem {
 public:
  explicit PrefetchedItem(const std::vector<Text>& row) : row_(row) {}
  Text Read(std::size_t member) const override {
    return member < row_.size() ? row_[member] : Text();
  }

 private:
  const std::vector<Text>& row_;
};

ComObject ItemAt(const ComObject& collection, int64_t position) {
  return collection.CallObject("item", {static_cast<double>(position - 1)});
}

}  // namespace

int32_t CollectionLength(const ComObject& collection) {
  const double length = std::trunc(collection.GetNumber("length"));
  return static_cast<int32_t>(std::clamp<double>(length, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

ComObject WalkCollection(const ComObject& collection, const std::vector<Text>& members,
                         const Examine& examine) {
  if (collection.CanReadEach()) {
    const auto rows = collection.ReadEach(members);
    if (!rows) return {};
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(rows->size()),
                                            std::numeric_limits<int32_t>::max());
    for (int64_t i = 1; i <= count; ++i) {
      if (examine(PrefetchedItem((*rows)[static_cast<std::size_t>(i - 1)]),
                  static_cast<int32_t>(i))) {
        return ItemAt(collection, i);
      }
    }
    return {};
  }
  const int32_t count = CollectionLength(collection);
  for (int64_t i = 1; i <= count; ++i) {
    ComObject item = ItemAt(collection, i);
    if (examine(FetchedItem(item, members), static_cast<int32_t>(i))) return item;
  }
  return {};
}

}  // namespace pageauto
