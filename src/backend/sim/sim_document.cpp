#include "backend/sim/sim_document.h"

#include "platform/com/dispatch_object.h"

namespace qv::sim {

namespace {

using qv::com::ComPtr;
using qv::com::ToBstr;

template <class Interface> using DispatchStub = com::DispatchObject<Interface>;

// The elements as they were when the collection was taken.
class SimCollection final : public DispatchStub<IHTMLElementCollection> {
public:
    explicit SimCollection(std::vector<ComPtr<SimElement>> elements)
        : elements_(std::move(elements)) {}

    HRESULT get_length(LONG* length) override {
        if (!length)
            return E_POINTER;
        *length = static_cast<LONG>(elements_.size());
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
        if (index < 0 || static_cast<std::size_t>(index) >= elements_.size())
            return S_OK;
        *element = elements_[std::size_t(index)]->AsDispatch();
        (*element)->AddRef();
        return S_OK;
    }

private:
    std::vector<ComPtr<SimElement>> elements_;
};

class SimLocation final : public DispatchStub<IHTMLLocation> {
public:
    explicit SimLocation(const std::string& href) : href_(href) {
        const auto colon = href.find(':');
        if (colon != std::string::npos)
            protocol_ = href.substr(0, colon + 1);
        const auto slashes = href.find("//");
        if (slashes != std::string::npos) {
            const auto start = slashes + 2;
            const auto end = href.find_first_of("/?#", start);
            host_ = href.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
    }

    HRESULT get_href(BSTR* value) override { return Put(value, href_); }
    HRESULT get_host(BSTR* value) override { return Put(value, host_); }
    HRESULT get_protocol(BSTR* value) override { return Put(value, protocol_); }

private:
    static HRESULT Put(BSTR* out, const std::string& text) {
        if (!out)
            return E_POINTER;
        *out = ToBstr(text);
        return S_OK;
    }

    std::string href_, host_, protocol_;
};

} // namespace

ComPtr<SimDocument> SimDocument::Create(std::string href, std::string title) {
    return ComPtr<SimDocument>(new SimDocument(std::move(href), std::move(title)));
}

SimDocument& SimDocument::Add(ComPtr<SimElement> element) {
    elements_.push_back(std::move(element));
    return *this;
}

void SimDocument::SetLog(const std::shared_ptr<Transcript>& log) {
    for (auto& element : elements_)
        element->SetLog(log);
}

HRESULT SimDocument::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IHTMLDocument2)
        return E_NOINTERFACE;
    *object = static_cast<IHTMLDocument2*>(this);
    AddRef();
    return S_OK;
}

HRESULT SimDocument::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT SimDocument::get_all(IHTMLElementCollection** all) {
    if (!all)
        return E_POINTER;
    *all = nullptr;
    if (failAll_)
        return E_FAIL;
    *all = qv::com::MakeCom<SimCollection>(elements_).detach();
    return S_OK;
}

HRESULT SimDocument::get_title(BSTR* title) {
    if (!title)
        return E_POINTER;
    *title = ToBstr(title_);
    return S_OK;
}

HRESULT SimDocument::get_location(IHTMLLocation** location) {
    if (!location)
        return E_POINTER;
    *location = qv::com::MakeCom<SimLocation>(href_).detach();
    return S_OK;
}

} // namespace qv::sim
