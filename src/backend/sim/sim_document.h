// A simulated page: a builder of the content the program reads (location,
// title, elements) and the page's side of the program's commands, which it
// applies to its elements and writes to the transcript. The program reads it
// through the document model the product ships.
#pragma once

#include "backend/sim/sim_element.h"
#include "backend/sim/transcript.h"
#include "platform/com/com_ptr.h"
#include "platform/html/html_elements.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::sim {

class SimDocument {
public:
    // href like "http://host:port/path?query".
    static std::shared_ptr<SimDocument> Create(std::string href, std::string title = {});

    SimDocument& Add(std::shared_ptr<SimElement> element);
    const std::vector<std::shared_ptr<SimElement>>& Elements() const;
    const std::string& Href() const { return href_; }
    // The element collection cannot be read, as with a broken document.
    void FailAll();
    void SetLog(std::shared_ptr<Transcript> log);
    // Its frame has another document now: the page refuses its commands.
    void Detach();

    // The document the program reads, made from what was built on first ask
    // (and again after more was added). Borrowed: valid while this lives.
    IDispatch* Object();
    // The object the program finds at an index of the document's elements.
    qv::com::ComPtr<IHTMLElement> Element(std::size_t index);

private:
    class Page;
    SimDocument(std::string href, std::string title);

    std::string href_;
    std::string title_;
    bool failAll_ = false;
    std::shared_ptr<Page> page_;
    qv::com::ComPtr<IDispatch> object_;
};

// An element the program holds on its own, its document gone from view.
qv::com::ComPtr<IHTMLElement> LoneElement(std::shared_ptr<SimElement> element);

} // namespace qv::sim
