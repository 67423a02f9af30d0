// How a document read from a page acts on that page: what the browser does
// with the writes and clicks of the program. The browser makes one per
// document; each call names an element by its index in the document's
// content. Every call answers whether the page took it.
#pragma once

#include <cstddef>
#include <string>

namespace qv::html {

class IPageCommands {
public:
    virtual ~IPageCommands() = default;
    virtual bool SetValue(std::size_t index, const std::string& value) = 0;
    virtual bool SetScriptText(std::size_t index, const std::string& text) = 0;
    // As the old DOM's, a click has happened in the page when this returns:
    // false when the document or the element has gone.
    virtual bool Click(std::size_t index) = 0;
};

} // namespace qv::html
