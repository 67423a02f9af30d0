// The caption a browser window takes from its page: the title of the
// control's own document, never that of one of its frames.
#pragma once

#include "console/web_browser2.h"

#include <string>

// Empty when frame is not the control itself or the title cannot be read.
std::string TopDocumentTitle(const CWebBrowser2& control, IDispatch* frame);
