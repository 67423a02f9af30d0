#include "backend/sim/sim_document.h"

#include "platform/com/dispatch_object.h"
#include "platform/html/page_commands.h"
#include "platform/html/page_document.h"

#include <algorithm>

namespace qv::sim {

namespace {

using qv::com::ComPtr;

qv::html::PageLocation ParseLocation(const std::string& href) {
    qv::html::PageLocation location;
    location.href = href;
    const auto colon = href.find(':');
    if (colon != std::string::npos)
        location.protocol = href.substr(0, colon + 1);
    const auto slashes = href.find("//");
    if (slashes != std::string::npos) {
        const auto start = slashes + 2;
        const auto end = href.find_first_of("/?#", start);
        location.host =
            href.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    return location;
}

// Faults the shipped model never shows, but a browser may: a document whose
// elements cannot be read, elements without IHTMLElement. Wrappers around
// the model's objects that take those parts away.
class BareElement final : public qv::com::EarlyBound<IDispatch> {
public:
    explicit BareElement(ComPtr<IDispatch> inner) : inner_(std::move(inner)) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IHTMLElement)
            return E_NOINTERFACE;
        if (iid != IID_IUnknown && iid != IID_IDispatch)
            return inner_->QueryInterface(iid, object);
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }

private:
    ComPtr<IDispatch> inner_;
};

class FaultyCollection final : public qv::com::DispatchObject<IHTMLElementCollection> {
public:
    FaultyCollection(ComPtr<IHTMLElementCollection> inner, std::vector<bool> bare)
        : inner_(std::move(inner)), bare_(std::move(bare)) {}
    HRESULT get_length(LONG* length) override { return inner_->get_length(length); }
    HRESULT item(VARIANT name, VARIANT index, IDispatch** element) override {
        const HRESULT result = inner_->item(name, index, element);
        const long at = name.vt == VT_UINT ? long(name.uintVal)
                        : name.vt == VT_I4 ? long(name.lVal)
                                           : long(name.iVal);
        if (SUCCEEDED(result) && *element && at >= 0 && std::size_t(at) < bare_.size() &&
            bare_[std::size_t(at)]) {
            auto inner = ComPtr<IDispatch>::Adopt(*element);
            *element = qv::com::MakeCom<BareElement>(inner).detach();
        }
        return result;
    }

private:
    ComPtr<IHTMLElementCollection> inner_;
    std::vector<bool> bare_;
};

class FaultyDocument final : public qv::com::DispatchObject<IHTMLDocument2> {
public:
    FaultyDocument(ComPtr<IHTMLDocument2> inner, bool failAll, std::vector<bool> bare)
        : inner_(std::move(inner)), failAll_(failAll), bare_(std::move(bare)) {}
    HRESULT get_all(IHTMLElementCollection** all) override {
        if (!all)
            return E_POINTER;
        *all = nullptr;
        if (failAll_)
            return E_FAIL;
        IHTMLElementCollection* inner = nullptr;
        const HRESULT result = inner_->get_all(&inner);
        if (SUCCEEDED(result))
            *all = qv::com::MakeCom<FaultyCollection>(ComPtr<IHTMLElementCollection>::Adopt(inner),
                                                      bare_)
                       .detach();
        return result;
    }
    HRESULT get_title(BSTR* title) override { return inner_->get_title(title); }
    HRESULT get_location(IHTMLLocation** location) override {
        return inner_->get_location(location);
    }

private:
    ComPtr<IHTMLDocument2> inner_;
    bool failAll_;
    std::vector<bool> bare_;
};

} // namespace

// The page's side of the commands, shared with the document model it serves.
class SimDocument::Page final : public qv::html::IPageCommands {
public:
    bool SetValue(std::size_t index, const std::string& value) override {
        return Put(index, &SimElement::TakeValue, "value", value);
    }
    bool SetScriptText(std::size_t index, const std::string& text) override {
        return Put(index, &SimElement::TakeText, "text", text);
    }
    bool Click(std::size_t index) override {
        SimElement* element = Live(index);
        if (!element)
            return false;
        Log("click(" + element->Label() + ")");
        element->TakeClick();
        return true;
    }

    std::vector<std::shared_ptr<SimElement>> elements;
    std::shared_ptr<Transcript> log;
    bool detached = false;

private:
    bool Put(std::size_t index, bool (SimElement::*take)(const std::string&), const char* what,
             const std::string& text) {
        SimElement* element = Live(index);
        if (!element || !(element->*take)(text))
            return false;
        Log(std::string(what) + "(" + element->Label() + ") = \"" + text + "\"");
        return true;
    }
    SimElement* Live(std::size_t index) {
        return detached || index >= elements.size() ? nullptr : elements[index].get();
    }
    void Log(const std::string& line) {
        if (log)
            log->Add(line);
    }
};

SimDocument::SimDocument(std::string href, std::string title)
    : href_(std::move(href)), title_(std::move(title)), page_(std::make_shared<Page>()) {}

std::shared_ptr<SimDocument> SimDocument::Create(std::string href, std::string title) {
    return std::shared_ptr<SimDocument>(new SimDocument(std::move(href), std::move(title)));
}

SimDocument& SimDocument::Add(std::shared_ptr<SimElement> element) {
    page_->elements.push_back(std::move(element));
    object_.reset();
    return *this;
}

const std::vector<std::shared_ptr<SimElement>>& SimDocument::Elements() const {
    return page_->elements;
}

void SimDocument::FailAll() {
    failAll_ = true;
    object_.reset();
}

void SimDocument::SetLog(std::shared_ptr<Transcript> log) {
    page_->log = std::move(log);
}

void SimDocument::Detach() {
    page_->detached = true;
}

IDispatch* SimDocument::Object() {
    if (object_)
        return object_.get();
    auto content = std::make_shared<qv::html::PageContent>();
    content->title = title_;
    content->location = ParseLocation(href_);
    std::vector<bool> bare;
    for (const auto& element : page_->elements) {
        content->elements.push_back(element->Info());
        bare.push_back(!element->OffersHtmlElement());
    }
    auto model = qv::com::MakeCom<qv::html::PageDocument>(std::move(content), page_);
    const bool faulty = failAll_ || std::find(bare.begin(), bare.end(), true) != bare.end();
    if (faulty)
        object_ = qv::com::MakeCom<FaultyDocument>(ComPtr<IHTMLDocument2>(model.get()), failAll_,
                                                   std::move(bare));
    else
        object_ = ComPtr<IDispatch>(static_cast<IHTMLDocument2*>(model.get()));
    return object_.get();
}

ComPtr<IHTMLElement> SimDocument::Element(std::size_t index) {
    auto document = ComPtr<IDispatch>(Object()).As<IHTMLDocument2>();
    IHTMLElementCollection* all = nullptr;
    if (!document || FAILED(document->get_all(&all)))
        return nullptr;
    auto collection = ComPtr<IHTMLElementCollection>::Adopt(all);
    IDispatch* element = nullptr;
    VARIANT empty;
    collection->item(qv::com::MakeUintVariant(static_cast<UINT>(index)), empty, &element);
    return ComPtr<IDispatch>::Adopt(element).As<IHTMLElement>();
}

ComPtr<IHTMLElement> LoneElement(std::shared_ptr<SimElement> element) {
    auto document = SimDocument::Create("http://10.1.2.3/");
    document->Add(std::move(element));
    return document->Element(0);
}

} // namespace qv::sim
