// A document as it was read from its page: title, location and the elements
// in document order. The element objects are made on first use and kept, so
// what the program wrote into one stays readable there and a held element
// is the one the next scan finds.
#pragma once

#include "platform/html/html_document.h"
#include "platform/html/page_element.h"

#include <memory>
#include <vector>

namespace qv::html {

class PageDocument final : public com::EarlyBound<IHTMLDocument2> {
public:
    PageDocument(std::shared_ptr<const PageContent> content,
                 std::shared_ptr<IPageCommands> commands);

    const PageContent& Content() const { return *content_; }
    std::size_t Length() const { return content_->elements.size(); }
    // Null past the end.
    PageElement* Element(std::size_t index);

    HRESULT QueryInterface(REFIID iid, void** object) override;

    HRESULT get_all(IHTMLElementCollection** all) override;
    HRESULT get_title(BSTR* title) override;
    HRESULT get_location(IHTMLLocation** location) override;

private:
    std::shared_ptr<const PageContent> content_;
    std::shared_ptr<IPageCommands> commands_;
    std::vector<com::ComPtr<PageElement>> elements_;
};

} // namespace qv::html
