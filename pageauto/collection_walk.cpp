#include "pageauto/collection_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/text.h"

namespace pageauto {
namespace {

using platform::ComObject;
using platform::Text;

// Reads a member of a fetched item only when the examination asks for it; the
// first member may have been read already to decide candidacy.
class FetchedItem : public WalkItem {
 public:
  FetchedItem(const ComObject& item, const std::vector<Text>& members, const Text* first)
      : item_(item), members_(members), first_(first) {}
  Text Read(std::size_t member) const override {
    if (member == 0 && first_ != nullptr) return *first_;
    return item_.GetText(members_.at(member));
  }

 private:
  const ComObject& item_;
  const std::vector<Text>& members_;
  const Text* first_;
};

// Members read in the page beforehand, in the order the walk named them.
class PrefetchedItem : public WalkItem {
 public:
  explicit PrefetchedItem(const std::vector<Text>& row) : row_(row) {}
  Text Read(std::size_t member) const override {
    return member < row_.size() ? row_[member] : Text();
  }

 private:
  const std::vector<Text>& row_;
};

// Asked only of walks that name candidates and read at least one member.
bool IsCandidate(const Walk& walk, const Text& first) {
  const Text folded = platform::FoldLower(first);
  return std::find(walk.candidates.begin(), walk.candidates.end(), folded) !=
         walk.candidates.end();
}

ComObject ItemAt(const ComObject& collection, int64_t position) {
  return collection.CallObject("item", {static_cast<double>(position - 1)});
}

// An item the page has just shown to be there (by its members or its
// collection's length), taken without waiting.
ComObject SeenItemAt(const ComObject& collection, int64_t position) {
  return collection.CallObjectAhead("item", {static_cast<double>(position - 1)});
}

}  // namespace

int32_t CutToInt32(double number) {
  if (std::isnan(number)) return 0;
  return static_cast<int32_t>(std::clamp<double>(std::trunc(number),
                                                 std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

int32_t CollectionLength(const ComObject& collection) {
  return CutToInt32(collection.GetNumber("length"));
}

ComObject WalkCollection(const ComObject& collection, const Walk& walk) {
  const bool filtered = !walk.candidates.empty() && !walk.members.empty();
  if (collection.CanReadEach()) {
    // One trip into the page reads what every item needs; the chosen item is
    // then taken without waiting. A walk that reads nothing (by position)
    // needs only the length.
    std::optional<std::vector<std::vector<Text>>> rows;
    if (!walk.members.empty()) {
      rows = collection.ReadEach(walk.members, walk.candidates);
      if (!rows) return {};
    }
    static const std::vector<Text> kNone;
    const int64_t count = rows ? static_cast<int64_t>(rows->size()) : CollectionLength(collection);
    for (int64_t i = 1; i <= std::min<int64_t>(count, std::numeric_limits<int32_t>::max()); ++i) {
      const std::vector<Text>& row = rows ? (*rows)[static_cast<std::size_t>(i - 1)] : kNone;
      // The page may send nothing of an item it saw to be no candidate.
      if (filtered && (row.empty() || !IsCandidate(walk, row.front()))) continue;
      if (walk.examine(PrefetchedItem(row), static_cast<int32_t>(i))) {
        return SeenItemAt(collection, i);
      }
    }
    return {};
  }
  const int32_t count = CollectionLength(collection);
  for (int64_t i = 1; i <= count; ++i) {
    ComObject item = ItemAt(collection, i);
    Text first;
    if (filtered) {
      first = item.GetText(walk.members.front());
      if (!IsCandidate(walk, first)) continue;
    }
    if (walk.examine(FetchedItem(item, walk.members, filtered ? &first : nullptr),
                     static_cast<int32_t>(i))) {
      return item;
    }
  }
  return {};
}

}  // namespace pageauto
