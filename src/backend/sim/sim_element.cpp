#include "backend/sim/sim_element.h"

namespace qv::sim {

using Ptr = std::shared_ptr<SimElement>;

Ptr SimElement::InputText(std::string name, std::string value) {
    Ptr e(new SimElement(ElementKind::InputText, "input"));
    e->info_.name = std::move(name);
    e->info_.value = std::move(value);
    e->info_.type = "text";
    return e;
}

Ptr SimElement::InputButton(std::string type, std::string name) {
    Ptr e(new SimElement(ElementKind::InputButton, "input"));
    e->info_.type = std::move(type);
    e->info_.name = std::move(name);
    return e;
}

Ptr SimElement::Anchor(std::string href) {
    Ptr e(new SimElement(ElementKind::Anchor, "a"));
    e->info_.href = std::move(href);
    return e;
}

Ptr SimElement::Select(std::string name, std::string value, int options) {
    Ptr e(new SimElement(ElementKind::Select, "select"));
    e->info_.name = std::move(name);
    e->info_.value = std::move(value);
    e->info_.optionCount = options;
    return e;
}

Ptr SimElement::Script(std::string text) {
    Ptr e(new SimElement(ElementKind::Script, "script"));
    e->info_.text = std::move(text);
    return e;
}

Ptr SimElement::Other(std::string tag) {
    return Ptr(new SimElement(ElementKind::Other, std::move(tag)));
}

std::string SimElement::Label() const {
    for (const std::string* part : {&info_.name, &info_.href, &info_.type}) {
        if (!part->empty())
            return tag_ + ":" + *part;
    }
    return tag_;
}

bool SimElement::TakeValue(const std::string& value) {
    if (failWrites_)
        return false;
    info_.value = value;
    return true;
}

bool SimElement::TakeText(const std::string& text) {
    if (failWrites_)
        return false;
    info_.text = text;
    return true;
}

void SimElement::TakeClick() {
    ++clicks_;
    if (onClick_)
        onClick_();
}

} // namespace qv::sim
