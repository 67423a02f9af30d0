#include "backend/qt/browser/snapshot_document.h"

#include "platform/com/dispatch_object.h"

namespace qv::qt {

namespace {

using com::ComPtr;
using com::ToBstr;

template <class Interface> using DispatchOnly = com::DispatchObject<Interface>;

HRESULT Put(BSTR* out, const std::string& text) {
    if (!out)
        return E_POINTER;
    *out = ToBstr(text);
    return S_OK;
}

class Collection final : public DispatchOnly<IHTMLElementCollection> {
public:
    explicit Collection(ComPtr<SnapshotDocument> document) : document_(std::move(document)) {}

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
        if (SnapshotElement* found = document_->Element(static_cast<std::size_t>(index))) {
            *element = found->AsDispatch();
            (*element)->AddRef();
        }
        return S_OK;
    }

private:
    ComPtr<SnapshotDocument> document_;
};

class Location final : public DispatchOnly<IHTMLLocation> {
public:
    explicit Location(bridge::FrameLocation location) : location_(std::move(location)) {}

    HRESULT get_href(BSTR* value) override { return Put(value, location_.href); }
    HRESULT get_host(BSTR* value) override { return Put(value, location_.host); }
    HRESULT get_protocol(BSTR* value) override { return Put(value, location_.protocol); }

private:
    bridge::FrameLocation location_;
};

} // namespace

SnapshotDocument::SnapshotDocument(std::shared_ptr<const bridge::FrameSnapshot> snapshot,
                                   std::shared_ptr<BridgeLink> link)
    : snapshot_(std::move(snapshot)), link_(std::move(link)) {}

SnapshotElement* SnapshotDocument::Element(std::size_t index) {
    if (index >= Length())
        return nullptr;
    if (elements_.empty())
        elements_.resize(Length());
    if (!elements_[index])
        elements_[index] = com::MakeCom<SnapshotElement>(snapshot_, index, link_);
    return elements_[index].get();
}

HRESULT SnapshotDocument::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IHTMLDocument2)
        return E_NOINTERFACE;
    *object = static_cast<IHTMLDocument2*>(this);
    AddRef();
    return S_OK;
}

HRESULT SnapshotDocument::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT SnapshotDocument::get_all(IHTMLElementCollection** all) {
    if (!all)
        return E_POINTER;
    *all = com::MakeCom<Collection>(ComPtr<SnapshotDocument>(this)).detach();
    return S_OK;
}

HRESULT SnapshotDocument::get_title(BSTR* title) {
    return Put(title, snapshot_->title);
}

HRESULT SnapshotDocument::get_location(IHTMLLocation** location) {
    if (!location)
        return E_POINTER;
    *location = com::MakeCom<Location>(snapshot_->location).detach();
    return S_OK;
}

} // namespace qv::qt
