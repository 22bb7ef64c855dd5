#include "pageauto/collection_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

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

// Members read in the page beforehand: the first for every item, the rest
// for the candidates.
class PrefetchedItem : public WalkItem {
 public:
  PrefetchedItem(const Text* first, const std::vector<Text>& rest) : first_(first), rest_(rest) {}
  Text Read(std::size_t member) const override {
    if (first_ != nullptr) {
      if (member == 0) return *first_;
      --member;
    }
    return member < rest_.size() ? rest_[member] : Text();
  }

 private:
  const Text* first_;
  const std::vector<Text>& rest_;
};

ComObject ItemAt(const ComObject& collection, int64_t position) {
  return collection.CallObject("item", {static_cast<double>(position - 1)});
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
  const bool filtered = walk.candidate && !walk.members.empty();
  if (collection.CanReadEach()) {
    // Two trips into the page at most: the deciding member of every item, then
    // the other members of the candidates.
    std::vector<int32_t> positions;
    std::vector<Text> firsts;
    std::vector<Text> rest_names = walk.members;
    if (filtered) {
      const auto rows = collection.ReadEach({walk.members.front()}, std::nullopt);
      if (!rows) return {};
      for (std::size_t i = 0; i < rows->size(); ++i) {
        const Text first = (*rows)[i].empty() ? Text() : (*rows)[i].front();
        if (!walk.candidate(first)) continue;
        positions.push_back(static_cast<int32_t>(std::min<std::size_t>(
            i + 1, std::numeric_limits<int32_t>::max())));
        firsts.push_back(first);
      }
      rest_names.erase(rest_names.begin());
    }
    std::optional<std::vector<std::vector<Text>>> rest;
    if (!rest_names.empty() && (!filtered || !positions.empty())) {
      rest = collection.ReadEach(rest_names, filtered ? std::optional(positions) : std::nullopt);
      if (!rest) return {};
    }
    static const std::vector<Text> kNone;
    auto row_at = [&](std::size_t k) -> const std::vector<Text>& {
      return rest && k < rest->size() ? (*rest)[k] : kNone;
    };
    if (filtered) {
      for (std::size_t k = 0; k < positions.size(); ++k) {
        if (walk.examine(PrefetchedItem(&firsts[k], row_at(k)), positions[k])) {
          return ItemAt(collection, positions[k]);
        }
      }
      return {};
    }
    // A walk that reads nothing (by position) needs only the length.
    const int64_t count = rest ? static_cast<int64_t>(rest->size()) : CollectionLength(collection);
    for (int64_t i = 1; i <= std::min<int64_t>(count, std::numeric_limits<int32_t>::max()); ++i) {
      if (walk.examine(PrefetchedItem(nullptr, row_at(static_cast<std::size_t>(i - 1))),
                       static_cast<int32_t>(i))) {
        return ItemAt(collection, i);
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
      if (!walk.candidate(first)) continue;
    }
    if (walk.examine(FetchedItem(item, walk.members, filtered ? &first : nullptr),
                     static_cast<int32_t>(i))) {
      return item;
    }
  }
  return {};
}

}  // namespace pageauto
