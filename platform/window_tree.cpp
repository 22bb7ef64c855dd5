#include "platform/window_tree.h"

namespace platform {

const char* const kBrowserServerClassName = "Internet Explorer_Server";
const char* const kDocumentRequestMessage = "WM_HTML_GETOBJECT";

}  // namespace platform
