// Keys and values of a parsed hive file, addressed by path. Paths are
// normalised (no empty components); names compare ASCII case-insensitively and
// a new key takes the case of the keys already above it.
#pragma once

#include "platform/registry/regfile.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::platform::registry {

// A key exists when a section names it or anything below it; the root always does.
bool KeyExists(const RegDocument& doc, std::string_view path);
bool HasSubkeys(const RegDocument& doc, std::string_view path);
// Direct subkeys, in case-insensitive order, each with its first-seen case.
std::vector<std::string> ListSubkeys(const RegDocument& doc, std::string_view path);

// A name may appear twice in a hand-edited file; the last one counts, as in an import.
const RegValue* FindValue(const RegDocument& doc, std::string_view path, std::string_view name);
// Each name once, in file order, with the data that counts.
std::vector<const RegValue*> ListValues(const RegDocument& doc, std::string_view path);

// Adds sections for the key and any missing key above it; true when something was added.
bool CreateKey(RegDocument& doc, std::string_view path);
void SetValue(RegDocument& doc, std::string_view path, const RegValue& value);
bool DeleteValue(RegDocument& doc, std::string_view path, std::string_view name);
// Removes the key's sections and, with subtree, those below it. Kept lines
// inside them go too: they belonged to the deleted key.
bool DeleteKey(RegDocument& doc, std::string_view path, bool subtree);

} // namespace qv::platform::registry
