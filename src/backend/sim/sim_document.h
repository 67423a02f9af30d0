// A simulated document: title, location and elements in document order.
#pragma once

#include "backend/sim/sim_element.h"
#include "platform/html/html_document.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::sim {

class SimDocument final : public qv::com::RefCounted<IHTMLDocument2> {
public:
    // href like "http://host:port/path?query".
    static qv::com::ComPtr<SimDocument> Create(std::string href, std::string title = {});

    SimDocument& Add(qv::com::ComPtr<SimElement> element);
    const std::vector<qv::com::ComPtr<SimElement>>& Elements() const { return elements_; }
    const std::string& Href() const { return href_; }
    // The element collection cannot be read, as with a broken document.
    void FailAll() { failAll_ = true; }
    void SetLog(const std::shared_ptr<Transcript>& log);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT get_all(IHTMLElementCollection** all) override;
    HRESULT get_title(BSTR* title) override;
    HRESULT get_location(IHTMLLocation** location) override;

private:
    SimDocument(std::string href, std::string title)
        : href_(std::move(href)), title_(std::move(title)) {}

    std::string href_;
    std::string title_;
    std::vector<qv::com::ComPtr<SimElement>> elements_;
    bool failAll_ = false;
};

} // namespace qv::sim
