#include "platform/registry/keytree.h"

#include "platform/text.h"

#include <algorithm>

namespace qv::platform::registry {
namespace {

using text::AsciiLower;
using text::EqualsIgnoreAsciiCase;

// path is below or equal to key: "a\b" is within "a" and "", not within "a\bc".
bool Within(std::string_view path, std::string_view key) {
    if (key.empty())
        return true;
    if (path.size() < key.size() || !EqualsIgnoreAsciiCase(path.substr(0, key.size()), key))
        return false;
    return path.size() == key.size() || path[key.size()] == '\\';
}

bool Same(std::string_view a, std::string_view b) {
    return EqualsIgnoreAsciiCase(a, b);
}

std::string_view ParentOf(std::string_view path) {
    auto slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// The path with each component in the case an existing key already has.
std::string ResolveCase(const RegDocument& doc, std::string_view path) {
    std::string out;
    for (const auto& part : SplitKeyPath(path)) {
        std::string candidate = out.empty() ? part : out + '\\' + part;
        for (const auto& section : doc.sections) {
            if (!section.broken && Within(section.path, candidate)) {
                candidate = section.path.substr(0, candidate.size());
                break;
            }
        }
        out = std::move(candidate);
    }
    return out;
}

void AddSection(RegDocument& doc, std::string path) {
    // Beside its relatives: after the last section in the parent's subtree.
    std::string_view parent = ParentOf(path);
    auto pos = doc.sections.end();
    for (auto it = doc.sections.begin(); it != doc.sections.end(); ++it)
        if (!it->broken && !parent.empty() && Within(it->path, parent))
            pos = it + 1;
    RegSection section;
    section.path = std::move(path);
    doc.sections.insert(pos, std::move(section));
}

} // namespace

bool KeyExists(const RegDocument& doc, std::string_view path) {
    if (path.empty())
        return true;
    for (const auto& section : doc.sections)
        if (!section.broken && Within(section.path, path))
            return true;
    return false;
}

bool HasSubkeys(const RegDocument& doc, std::string_view path) {
    for (const auto& section : doc.sections)
        if (!section.broken && Within(section.path, path) && section.path.size() > path.size())
            return true;
    return false;
}

namespace {

// Over the sections naming one key, in file order: each value name once,
// where it first appeared, with the data of its last line.
template <class Sections> std::vector<const RegValue*> CollectValues(const Sections& sections) {
    std::vector<const RegValue*> values;
    for (const RegSection* section : sections) {
        for (const auto& entry : section->entries) {
            if (entry.kind != RegEntry::Kind::Value)
                continue;
            auto it = std::find_if(values.begin(), values.end(), [&](const RegValue* v) {
                return Same(v->name, entry.value.name);
            });
            if (it == values.end())
                values.push_back(&entry.value);
            else
                *it = &entry.value;
        }
    }
    return values;
}

template <class Sections> const RegValue* FindIn(const Sections& sections, std::string_view name) {
    const RegValue* found = nullptr;
    for (const RegSection* section : sections)
        for (const auto& entry : section->entries)
            if (entry.kind == RegEntry::Kind::Value && Same(entry.value.name, name))
                found = &entry.value;
    return found;
}

std::vector<const RegSection*> SectionsNaming(const RegDocument& doc, std::string_view path) {
    std::vector<const RegSection*> named;
    for (const auto& section : doc.sections)
        if (!section.broken && Same(section.path, path))
            named.push_back(&section);
    return named;
}

} // namespace

const RegValue* FindValue(const RegDocument& doc, std::string_view path, std::string_view name) {
    return FindIn(SectionsNaming(doc, path), name);
}

KeyIndex::KeyIndex(const RegDocument& doc) : nodes_(1) {
    for (const auto& section : doc.sections) {
        if (section.broken)
            continue;
        int node = 0;
        std::string_view rest = section.path;
        while (!rest.empty()) {
            const std::size_t slash = rest.find('\\');
            const std::string_view part = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            auto [it, added] = nodes_[node].children.try_emplace(AsciiLower(part), 0);
            if (added) {
                it->second = static_cast<int>(nodes_.size());
                nodes_.push_back(Node{std::string(part), {}, {}});
            }
            node = it->second;
        }
        nodes_[node].named.push_back(&section);
    }
}

const KeyIndex::Node* KeyIndex::Walk(std::string_view path) const {
    // Walked for every key of a deep tree: one buffer, no copy per component.
    const Node* node = &nodes_[0];
    std::string lower;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        lower.assign(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (lower.empty())
            continue;
        for (char& c : lower)
            c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        auto it = node->children.find(lower);
        if (it == node->children.end())
            return nullptr;
        node = &nodes_[it->second];
    }
    return node;
}

bool KeyIndex::Exists(std::string_view path) const {
    return Walk(path) != nullptr;
}

std::vector<std::string> KeyIndex::Subkeys(std::string_view path) const {
    std::vector<std::string> names;
    if (const Node* node = Walk(path))
        for (const auto& [lower, child] : node->children)
            names.push_back(nodes_[child].name);
    return names;
}

std::vector<const RegValue*> KeyIndex::Values(std::string_view path) const {
    const Node* node = Walk(path);
    return node ? CollectValues(node->named) : std::vector<const RegValue*>{};
}

const RegValue* KeyIndex::Find(std::string_view path, std::string_view name) const {
    const Node* node = Walk(path);
    return node ? FindIn(node->named, name) : nullptr;
}

bool CreateKey(RegDocument& doc, std::string_view path) {
    bool added = false;
    std::size_t end = 0;
    while (end < path.size()) {
        end = path.find('\\', end + 1);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view prefix = path.substr(0, end);
        if (!KeyExists(doc, prefix)) {
            AddSection(doc, ResolveCase(doc, prefix));
            added = true;
        }
    }
    return added;
}

void SetValue(RegDocument& doc, std::string_view path, const RegValue& value) {
    if (auto* existing = const_cast<RegValue*>(FindValue(doc, path, value.name))) {
        existing->type = value.type;
        existing->data = value.data; // the name keeps its first-written case
        return;
    }
    CreateKey(doc, path);
    RegSection* target = nullptr;
    for (auto& section : doc.sections)
        if (!section.broken && Same(section.path, path))
            target = &section;
    if (!target) { // the key existed only through keys below it
        AddSection(doc, ResolveCase(doc, path));
        for (auto& section : doc.sections)
            if (!section.broken && Same(section.path, path))
                target = &section;
    }
    RegEntry entry;
    entry.kind = RegEntry::Kind::Value;
    entry.value = value;
    // After the last value, so kept lines at the end of the section stay last.
    auto& entries = target->entries;
    auto pos = entries.end();
    while (pos != entries.begin() && std::prev(pos)->kind == RegEntry::Kind::Raw)
        --pos;
    entries.insert(pos, std::move(entry));
}

bool DeleteValue(RegDocument& doc, std::string_view path, std::string_view name) {
    bool deleted = false;
    for (auto& section : doc.sections) {
        if (section.broken || !Same(section.path, path))
            continue;
        auto& entries = section.entries;
        auto before = entries.size();
        std::erase_if(entries, [&](const RegEntry& e) {
            return e.kind == RegEntry::Kind::Value && Same(e.value.name, name);
        });
        deleted |= entries.size() != before;
    }
    return deleted;
}

bool DeleteKey(RegDocument& doc, std::string_view path, bool subtree) {
    auto before = doc.sections.size();
    std::erase_if(doc.sections, [&](const RegSection& s) {
        return !s.broken && (subtree ? Within(s.path, path) : Same(s.path, path));
    });
    return doc.sections.size() != before;
}

} // namespace qv::platform::registry
