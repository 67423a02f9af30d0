// The start URL as the browser is given it.
#pragma once

#include <string>
#include <string_view>

// A URL without a scheme ("pabx/app-main.asp", "10.0.0.5:8080/x") is taken
// as http, as the old browser took a typed address; one with a scheme
// ("https://...", "about:blank") stays as it is.
std::string WithDefaultScheme(std::string_view url);
