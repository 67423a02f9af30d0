// The document model the product ships, as the program's scans see it, over
// pages the simulation builds.
#include "backend/sim/sim_platform.h"
#include "platform/html/page_document.h"

#include <gtest/gtest.h>

namespace {

using qv::com::ComPtr;
using qv::com::FromBstr;
using qv::com::ToBstr;
using qv::sim::SimDocument;
using qv::sim::SimElement;

ComPtr<IHTMLElementCollection> All(IDispatch* document) {
    IHTMLElementCollection* raw = nullptr;
    EXPECT_EQ(ComPtr<IDispatch>(document).As<IHTMLDocument2>()->get_all(&raw), S_OK);
    return ComPtr<IHTMLElementCollection>::Adopt(raw);
}

ComPtr<IDispatch> Item(IDispatch* document, UINT index) {
    IDispatch* element = nullptr;
    All(document)->item(qv::com::MakeUintVariant(index), VARIANT{}, &element);
    return ComPtr<IDispatch>::Adopt(element);
}

// A text property, read through its getter.
template <class Object, class Getter> std::string Read(const Object& object, Getter get) {
    BSTR value;
    EXPECT_EQ(((*object).*get)(&value), S_OK);
    return FromBstr(value);
}

TEST(DomTest, ElementsOfferOnlyTheInterfacesOfTheirKindAndStayTheSameObjects) {
    auto page = SimDocument::Create("http://pabx:8080/app-main.asp?app=3", "Console");
    page->Add(SimElement::InputText("un"))
        .Add(SimElement::InputButton("submit"))
        .Add(SimElement::Anchor("javascript:bttnLogout()"))
        .Add(SimElement::Select("terminal", "empty", 1))
        .Add(SimElement::Script("top.focus()"))
        .Add(SimElement::Other("br"));
    IDispatch* doc = page->Object();

    auto text = Item(doc, 0);
    EXPECT_TRUE(text.As<IHTMLInputTextElement>());
    EXPECT_FALSE(text.As<IHTMLInputButtonElement>());
    EXPECT_TRUE(text.As<IHTMLElement>());
    auto button = Item(doc, 1);
    EXPECT_TRUE(button.As<IHTMLInputButtonElement>());
    EXPECT_FALSE(button.As<IHTMLInputTextElement>());
    auto anchor = Item(doc, 2).As<IHTMLAnchorElement>();
    ASSERT_TRUE(anchor);
    EXPECT_EQ(Read(anchor, &IHTMLAnchorElement::get_href), "javascript:bttnLogout()");
    auto select = Item(doc, 3).As<IHTMLSelectElement>();
    ASSERT_TRUE(select);
    LONG options = 0;
    select->get_length(&options);
    EXPECT_EQ(options, 1);
    EXPECT_TRUE(Item(doc, 4).As<IHTMLScriptElement>());
    auto other = Item(doc, 5);
    EXPECT_TRUE(other.As<IHTMLElement>());
    EXPECT_FALSE(other.As<IHTMLScriptElement>());
    EXPECT_FALSE(Item(doc, 6)); // past the end: no element
    IDispatch* byName = nullptr;
    EXPECT_EQ(All(doc)->item(qv::com::MakeBstrVariant("un"), VARIANT{}, &byName), E_INVALIDARG);
    // A held element is the one the next scan finds.
    EXPECT_EQ(Item(doc, 2).get(), Item(doc, 2).get());
}

TEST(DomTest, WritesAndClicksGoToThePageWhichMayRefuseThem) {
    qv::sim::SimPlatform sim;
    auto browser = qv::sim::SimBrowser::Create(sim.SharedLog(), "top");
    auto user = SimElement::InputText("un", "old");
    auto script = SimElement::Script("x");
    script->FailWrites();
    bool clicked = false;
    auto submit = SimElement::InputButton("submit");
    submit->OnClick([&] { clicked = true; });
    auto page = SimDocument::Create("http://pabx/");
    page->Add(user).Add(script).Add(submit);
    browser->SetDocument(page);

    auto input = Item(page->Object(), 0).As<IHTMLInputTextElement>();
    ASSERT_EQ(input->put_value(ToBstr("alice")), S_OK);
    EXPECT_EQ(user->Value(), "alice");
    EXPECT_EQ(Read(input, &IHTMLInputTextElement::get_value), "alice"); // written, read back
    auto scriptElement = Item(page->Object(), 1).As<IHTMLScriptElement>();
    EXPECT_TRUE(FAILED(scriptElement->put_text(ToBstr("y"))));
    EXPECT_EQ(script->Text(), "x");
    EXPECT_EQ(Read(scriptElement, &IHTMLScriptElement::get_text), "x");
    auto button = page->Element(2);
    EXPECT_EQ(button->click(), S_OK);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(sim.Log().Lines(),
              (std::vector<std::string>{"value(input:un) = \"alice\"", "click(input:submit)"}));

    // Once the frame shows another document, the old one's commands fail.
    browser->SetDocument(SimDocument::Create("http://pabx/next"));
    EXPECT_TRUE(FAILED(button->click()));
    EXPECT_TRUE(FAILED(input->put_value(ToBstr("bob"))));
    EXPECT_EQ(submit->Clicks(), 1);
    EXPECT_EQ(user->Value(), "alice");
}

TEST(DomTest, TheBrowserIsOneObjectWhicheverOfItsInterfacesIsAskedFor) {
    qv::sim::SimPlatform sim;
    auto browser = qv::sim::SimBrowser::Create(sim.SharedLog(), "top");
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_IWebBrowser2}) {
        void* object = nullptr;
        ASSERT_EQ(browser->QueryInterface(*iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<IWebBrowser2*>(browser.get()));
        browser->Release();
    }
    void* none = &sim;
    EXPECT_EQ(browser->QueryInterface(IID_IHTMLElement, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

// A page that takes every command and notes it.
struct Recorder final : qv::html::IPageCommands {
    bool SetValue(std::size_t i, const std::string& v) override { return Note("value", i, v); }
    bool SetScriptText(std::size_t i, const std::string& t) override { return Note("text", i, t); }
    bool Click(std::size_t i) override { return Note("click", i, ""); }
    bool Note(const std::string& what, std::size_t index, const std::string& argument) {
        seen.push_back(what + " " + std::to_string(index) + " " + argument);
        return true;
    }
    std::vector<std::string> seen;
};

TEST(DomTest, AScriptReadOnlyInPartIsNotReplaced) {
    auto content = std::make_shared<qv::html::PageContent>();
    for (bool cut : {true, false}) {
        qv::html::ElementInfo script;
        script.kind = qv::html::ElementKind::Script;
        script.text = "top.focus();";
        script.truncated = cut;
        content->elements.push_back(script);
    }
    auto commands = std::make_shared<Recorder>();
    auto document = qv::com::MakeCom<qv::html::PageDocument>(content, commands);
    auto cut = ComPtr<IDispatch>(document->Element(0)->AsDispatch()).As<IHTMLScriptElement>();
    auto whole = ComPtr<IDispatch>(document->Element(1)->AsDispatch()).As<IHTMLScriptElement>();
    EXPECT_TRUE(FAILED(cut->put_text(ToBstr("x"))));
    EXPECT_EQ(Read(cut, &IHTMLScriptElement::get_text), "top.focus();");
    EXPECT_EQ(whole->put_text(ToBstr("x")), S_OK);
    EXPECT_EQ(Read(whole, &IHTMLScriptElement::get_text), "x");
    EXPECT_EQ(commands->seen, (std::vector<std::string>{"text 1 x"}));
}

} // namespace
