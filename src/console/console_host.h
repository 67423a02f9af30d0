// Which host a page comes from, for deciding where the stored credentials
// may go. Host names compare without their port and ignoring case, so a
// console that moves from http to https on its own host is still itself.
#pragma once

#include <string>
#include <string_view>

// The host name of an absolute URL ("http://user@Host:8080/x" -> "host");
// empty when it has none.
std::string UrlHostName(std::string_view url);

// The host name of a location's host ("Host:8080" -> "host", "[::1]:80" ->
// "[::1]").
std::string HostName(std::string_view hostAndPort);
