#pragma once

#include <string>

namespace platform {

// Directory holding the running executable, without a trailing separator;
// empty when it cannot be determined.
std::string ExecutableDirectory();

// `directory` joined with `name` by one separator.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace platform
