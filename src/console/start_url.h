// The start URL from its format. The format may come from the command line,
// so it is never handed to printf: only "%s" (the PABX address) and "%%"
// mean anything, every other "%" stays as it is.
#pragma once

#include <string>
#include <string_view>

std::string FormatStartUrl(std::string_view format, std::string_view address);

// A URL without a scheme ("pabx/app-main.asp", "10.0.0.5:8080/x") is taken
// as http, as the old browser took a typed address; one with a scheme
// ("https://...", "about:blank") stays as it is.
std::string WithDefaultScheme(std::string_view url);
