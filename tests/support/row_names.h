// Table-driven tests name their rows: in test names, and in failure messages
// instead of the rows' bytes. Bring both in with `using` in the namespace that
// declares the row type, so that argument-dependent lookup finds operator<<.
#pragma once

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace test_support {

template <typename Case>
std::string RowName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

template <typename Case>
auto operator<<(std::ostream& out, const Case& row) -> decltype(row.name, out) {
  return out << row.name;
}

}  // namespace test_support
