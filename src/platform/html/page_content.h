// What a document showed when it was read: title, location and its elements
// in document order with the properties the system reads. Plain values, so
// any browser can fill them in.
#pragma once

#include <string>
#include <vector>

namespace qv::html {

// Element kinds as the old DOM sorted them; everything else is Other.
enum class ElementKind {
    Other,
    InputText,   // input type text, password or hidden
    InputButton, // input type submit, button or reset
    Anchor,      // a
    Select,      // select
    Script,      // script
};

struct ElementInfo {
    ElementKind kind = ElementKind::Other;
    std::string name;       // inputs, anchors, selects (also other inputs and textareas)
    std::string type;       // inputs, lower case as the DOM reports it
    std::string href;       // anchors, resolved
    std::string value;      // inputs, selects, textareas
    int optionCount = 0;    // selects
    std::string text;       // scripts
    bool truncated = false; // a text above was cut short when it was read
};

struct PageLocation {
    std::string href;
    std::string host;     // host[:port]
    std::string protocol; // with its trailing colon, "http:"
};

struct PageContent {
    std::string title;
    PageLocation location;
    // Every element in document order (the order of document.all).
    std::vector<ElementInfo> elements;
};

} // namespace qv::html
