// An element of a simulated page: what a test builds (its kind and
// properties) and what the page has since taken from the program (values,
// script texts, clicks). The program never sees this object: it reads the
// document model made from it and its commands come back here.
#pragma once

#include "platform/html/page_content.h"

#include <functional>
#include <memory>
#include <string>

namespace qv::sim {

using qv::html::ElementKind;

class SimElement {
public:
    static std::shared_ptr<SimElement> InputText(std::string name, std::string value = {});
    static std::shared_ptr<SimElement> InputButton(std::string type, std::string name = {});
    static std::shared_ptr<SimElement> Anchor(std::string href);
    static std::shared_ptr<SimElement> Select(std::string name, std::string value, int options);
    static std::shared_ptr<SimElement> Script(std::string text);
    static std::shared_ptr<SimElement> Other(std::string tag);

    const qv::html::ElementInfo& Info() const { return info_; }
    ElementKind Kind() const { return info_.kind; }
    const std::string& Value() const { return info_.value; }
    const std::string& Text() const { return info_.text; }
    int Clicks() const { return clicks_; }
    // "tag:name", "tag:href" or "tag:type", for the transcript.
    std::string Label() const;

    // What a click does on the page (a test's stand-in for its script).
    void OnClick(std::function<void()> action) { onClick_ = std::move(action); }
    // The page refuses writes to it.
    void FailWrites() { failWrites_ = true; }
    // A page object without IHTMLElement, as some are.
    void WithoutHtmlElement() { offersElement_ = false; }
    bool OffersHtmlElement() const { return offersElement_; }

    // The page takes a command; false when it refuses.
    bool TakeValue(const std::string& value);
    bool TakeText(const std::string& text);
    void TakeClick();

private:
    SimElement(ElementKind kind, std::string tag) : tag_(std::move(tag)) { info_.kind = kind; }

    std::string tag_;
    qv::html::ElementInfo info_;
    int clicks_ = 0;
    bool failWrites_ = false;
    bool offersElement_ = true;
    std::function<void()> onClick_;
};

} // namespace qv::sim
