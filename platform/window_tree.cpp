#include "platform/window_tree.h"

namespace platform {

const char* const kBrowserServerClassName = "Internet Explorer_Server";

}  // namespace platform
