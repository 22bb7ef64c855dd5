// The one walk over a page collection that every lookup by name, id or
// position goes through.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/com_object.h"

namespace pageauto {

// Reads the collection's `length` once, cut toward zero to N, then for i = 1..N
// in order takes `item(i - 1)` (the index passed as a floating-point number)
// and hands it to `examine` with its one-based position. Stops at the first item
// `examine` accepts and returns it; empty when none is accepted or N <= 0.
platform::ComObject WalkCollection(
    const platform::ComObject& collection,
    const std::function<bool(const platform::ComObject& item, int32_t position)>& examine);

// The collection's length read as a number and cut toward zero.
int32_t CollectionLength(const platform::ComObject& collection);

}  // namespace pageauto
