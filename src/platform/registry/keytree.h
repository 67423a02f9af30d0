// Keys and values of a parsed hive file, addressed by path. Paths are
// normalised (no empty components); names compare ASCII case-insensitively and
// a new key takes the case of the keys already above it.
#pragma once

#include "platform/registry/regfile.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qv::platform::registry {

// A key exists when a section names it or anything below it; the root always does.
bool KeyExists(const RegDocument& doc, std::string_view path);
bool HasSubkeys(const RegDocument& doc, std::string_view path);

// A name may appear twice in a hand-edited file; the last one counts, as in an import.
const RegValue* FindValue(const RegDocument& doc, std::string_view path, std::string_view name);

// The keys of a document as a tree, built once, so reading many keys costs
// one walk of each path instead of a scan of the whole file per call (a
// recursive query of a deep tree would otherwise take minutes). Holds
// pointers into the document, which must outlive it unchanged.
class KeyIndex {
public:
    explicit KeyIndex(const RegDocument& doc);
    bool Exists(std::string_view path) const;
    // Direct subkeys, in case-insensitive order, each with its first-seen case.
    std::vector<std::string> Subkeys(std::string_view path) const;
    // Each name once, in file order, with the data that counts.
    std::vector<const RegValue*> Values(std::string_view path) const;
    const RegValue* Find(std::string_view path, std::string_view name) const;

private:
    struct Node {
        std::string name;                     // first-seen case
        std::map<std::string, int> children;  // by lower-case name
        std::vector<const RegSection*> named; // the sections naming exactly this key
    };
    const Node* Walk(std::string_view path) const;
    std::vector<Node> nodes_;
};

// Adds sections for the key and any missing key above it; true when something was added.
bool CreateKey(RegDocument& doc, std::string_view path);
void SetValue(RegDocument& doc, std::string_view path, const RegValue& value);
bool DeleteValue(RegDocument& doc, std::string_view path, std::string_view name);
// Removes the key's sections and, with subtree, those below it. Kept lines
// inside them go too: they belonged to the deleted key.
bool DeleteKey(RegDocument& doc, std::string_view path, bool subtree);

} // namespace qv::platform::registry
