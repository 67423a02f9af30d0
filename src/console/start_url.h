// The start URL from its format. The format may come from the command line,
// so it is never handed to printf: only "%s" (the PABX address) and "%%"
// mean anything, every other "%" stays as it is.
#pragma once

#include <string>
#include <string_view>

std::string FormatStartUrl(std::string_view format, std::string_view address);
