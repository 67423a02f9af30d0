// An element of a simulated document. It offers IHTMLElement and the one
// interface of its kind; writes and clicks are recorded.
#pragma once

#include "backend/sim/transcript.h"
#include "platform/com/ref_counted.h"
#include "platform/html/html_elements.h"

#include <functional>
#include <memory>
#include <string>

namespace qv::sim {

enum class ElementKind { InputText, InputButton, Anchor, Select, Script, Other };

class SimElement final
    : public qv::com::RefCounted<IHTMLElement, IHTMLInputTextElement, IHTMLInputButtonElement,
                                 IHTMLAnchorElement, IHTMLSelectElement, IHTMLScriptElement> {
public:
    static qv::com::ComPtr<SimElement> InputText(std::string name, std::string value = {});
    static qv::com::ComPtr<SimElement> InputButton(std::string type, std::string name = {});
    static qv::com::ComPtr<SimElement> Anchor(std::string href);
    static qv::com::ComPtr<SimElement> Select(std::string name, std::string value, LONG options);
    static qv::com::ComPtr<SimElement> Script(std::string text);
    static qv::com::ComPtr<SimElement> Other(std::string tag);

    ElementKind Kind() const { return kind_; }
    const std::string& Value() const { return value_; }
    const std::string& Text() const { return text_; }
    int Clicks() const { return clicks_; }
    // What a click does on the page (a test's stand-in for its script).
    void OnClick(std::function<void()> action) { onClick_ = std::move(action); }
    // An element without IHTMLElement, as some page objects are.
    void WithoutHtmlElement() { offersElement_ = false; }
    void FailWrites() { failWrites_ = true; }
    // Its document was replaced in its frame: clicks and writes fail, as a
    // real page refuses them, and do nothing.
    void Detach() { detached_ = true; }
    void SetLog(std::shared_ptr<Transcript> log) { log_ = std::move(log); }
    IDispatch* AsDispatch() { return static_cast<IHTMLElement*>(this); }

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

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
    SimElement(ElementKind kind, std::string tag) : kind_(kind), tag_(std::move(tag)) {}
    std::string Label() const;
    void Log(const std::string& line);

    ElementKind kind_;
    std::string tag_;
    std::string name_, value_, type_, href_, text_;
    LONG options_ = 0;
    int clicks_ = 0;
    bool offersElement_ = true;
    bool failWrites_ = false;
    bool detached_ = false;
    std::function<void()> onClick_;
    std::shared_ptr<Transcript> log_;
};

} // namespace qv::sim
