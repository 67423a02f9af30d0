#include "platform/html/page_document.h"

#include "platform/com/dispatch_object.h"

namespace qv::html {

namespace {

using com::ComPtr;

HRESULT Put(BSTR* out, const std::string& text) {
    if (!out)
        return E_POINTER;
    *out = com::ToBstr(text);
    return S_OK;
}

class Collection final : public com::DispatchObject<IHTMLElementCollection> {
public:
    explicit Collection(ComPtr<PageDocument> document) : document_(std::move(document)) {}

    HRESULT get_length(LONG* length) override {
        if (!length)
            return E_POINTER;
        *length = static_cast<LONG>(document_->Length());
        return S_OK;
    }

    HRESULT item(VARIANT name, VARIANT, IDispatch** element) override {
        if (!element)
            return E_POINTER;
        *element = nullptr;
        long index = -1;
        if (name.vt == VT_UINT)
            index = static_cast<long>(name.uintVal);
        else if (name.vt == VT_I4)
            index = name.lVal;
        else if (name.vt == VT_I2)
            index = name.iVal;
        else
            return E_INVALIDARG;
        if (index < 0)
            return S_OK;
        if (PageElement* found = document_->Element(static_cast<std::size_t>(index))) {
            *element = found->AsDispatch();
            (*element)->AddRef();
        }
        return S_OK;
    }

private:
    ComPtr<PageDocument> document_;
};

class Location final : public com::DispatchObject<IHTMLLocation> {
public:
    explicit Location(PageLocation location) : location_(std::move(location)) {}

    HRESULT get_href(BSTR* value) override { return Put(value, location_.href); }
    HRESULT get_host(BSTR* value) override { return Put(value, location_.host); }
    HRESULT get_protocol(BSTR* value) override { return Put(value, location_.protocol); }

private:
    PageLocation location_;
};

} // namespace

PageDocument::PageDocument(std::shared_ptr<const PageContent> content,
                           std::shared_ptr<IPageCommands> commands)
    : content_(std::move(content)), commands_(std::move(commands)) {}

PageElement* PageDocument::Element(std::size_t index) {
    if (index >= Length())
        return nullptr;
    if (elements_.empty())
        elements_.resize(Length());
    if (!elements_[index])
        elements_[index] = com::MakeCom<PageElement>(content_, index, commands_);
    return elements_[index].get();
}

HRESULT PageDocument::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IHTMLDocument2)
        return E_NOINTERFACE;
    *object = static_cast<IHTMLDocument2*>(this);
    AddRef();
    return S_OK;
}

HRESULT PageDocument::get_all(IHTMLElementCollection** all) {
    if (!all)
        return E_POINTER;
    *all = com::MakeCom<Collection>(ComPtr<PageDocument>(this)).detach();
    return S_OK;
}

HRESULT PageDocument::get_title(BSTR* title) {
    return Put(title, content_->title);
}

HRESULT PageDocument::get_location(IHTMLLocation** location) {
    if (!location)
        return E_POINTER;
    *location = com::MakeCom<Location>(content_->location).detach();
    return S_OK;
}

} // namespace qv::html
