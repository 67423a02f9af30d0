// One element of a document as it was read. It offers IHTMLElement and the
// one interface of its kind; reads come from the content, writes and clicks
// go to the page as commands. What the program wrote stays readable here.
#pragma once

#include "platform/com/dispatch_object.h"
#include "platform/html/html_elements.h"
#include "platform/html/page_commands.h"
#include "platform/html/page_content.h"

#include <memory>
#include <optional>
#include <string>

namespace qv::html {

class PageElement final
    : public com::EarlyBound<IHTMLElement, IHTMLInputTextElement, IHTMLInputButtonElement,
                             IHTMLAnchorElement, IHTMLSelectElement, IHTMLScriptElement> {
public:
    PageElement(std::shared_ptr<const PageContent> content, std::size_t index,
                std::shared_ptr<IPageCommands> commands);

    IDispatch* AsDispatch() { return static_cast<IHTMLElement*>(this); }

    HRESULT QueryInterface(REFIID iid, void** object) override;

    HRESULT click() override;
    HRESULT get_name(BSTR* value) override;
    HRESULT get_value(BSTR* value) override;
    HRESULT put_value(const BSTR& value) override;
    HRESULT get_type(BSTR* value) override;
    HRESULT get_href(BSTR* value) override;
    HRESULT get_length(LONG* options) override;
    HRESULT get_text(BSTR* value) override;
    HRESULT put_text(const BSTR& value) override;

private:
    const ElementInfo& Info() const { return content_->elements[index_]; }

    std::shared_ptr<const PageContent> content_;
    std::size_t index_;
    std::shared_ptr<IPageCommands> commands_;
    // What this object wrote; the content stays as it was read.
    std::optional<std::string> value_, text_;
};

} // namespace qv::html
