// The one walk over a page collection that every lookup by name, id or
// position goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/com_object.h"

namespace pageauto {

// The item a walk is examining: the members the walk named, by their place
// in that list, read as texts.
class WalkItem {
 public:
  virtual ~WalkItem() = default;
  virtual platform::Text Read(std::size_t member) const = 0;
};

using Examine = std::function<bool(const WalkItem& item, int32_t position)>;

// What a walk reads and how it chooses. When `candidates` (texts in lower
// case) are given, the first member is read of every item, and only the items
// whose first member, folded by FoldLower, is one of them are examined (and
// have their other members read); otherwise every item is examined.
struct Walk {
  std::vector<platform::Text> members;
  std::vector<platform::Text> candidates;
  Examine examine;
};

// Reads the collection's `length` once, cut toward zero to N, then examines
// the items at positions 1..N in order and gives the first one `walk.examine`
// accepts (a new reference taken with `item(position - 1)`, the index passed
// as a floating-point number); empty when none is accepted or N <= 0.
//
// Where the page can, the named members of all items come in one call into
// the page and only the chosen item is fetched, without waiting; elsewhere
// each item is fetched and its members read as the examination asks for them.
// The choice is the same either way.
platform::ComObject WalkCollection(const platform::ComObject& collection, const Walk& walk);

// A number from the page cut toward zero and held within 32 bits; what is not
// a number at all counts as 0.
int32_t CutToInt32(double number);

// The collection's length read as a number and cut toward zero.
int32_t CollectionLength(const platform::ComObject& collection);

}  // namespace pageauto
