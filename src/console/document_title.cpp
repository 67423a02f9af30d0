#include "console/document_title.h"

#include "console/dom_text.h"
#include "platform/html/html_document.h"

using qv::com::ComPtr;

std::string TopDocumentTitle(const CWebBrowser2& control, IDispatch* frame) {
    IUnknown* own = control.GetControlUnknown();
    const ComPtr<IDispatch> frameObject(frame);
    if (!own || !frameObject || !qv::com::SameObject(ComPtr<IUnknown>(own), frameObject))
        return {};
    const auto browser = frameObject.As<IWebBrowser2>();
    ComPtr<IDispatch> document;
    if (!browser || FAILED(browser->get_Document(document.put())) || !document)
        return {};
    return ReadDomText(document.As<IHTMLDocument2>(), &IHTMLDocument2::get_title);
}
