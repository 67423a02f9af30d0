// The simulated document model as the program's scans see it.
#include "backend/sim/sim_platform.h"

#include <gtest/gtest.h>

namespace {

using qv::com::ComPtr;
using qv::com::FromBstr;
using qv::sim::SimDocument;
using qv::sim::SimElement;

ComPtr<IDispatch> Item(IHTMLDocument2& document, UINT index) {
    IHTMLElementCollection* raw = nullptr;
    EXPECT_EQ(document.get_all(&raw), S_OK);
    auto all = ComPtr<IHTMLElementCollection>::Adopt(raw);
    IDispatch* element = nullptr;
    VARIANT empty;
    all->item(qv::com::MakeUintVariant(index), empty, &element);
    return ComPtr<IDispatch>::Adopt(element);
}

TEST(DomTest, ElementsOfferOnlyTheInterfacesOfTheirKind) {
    auto document = SimDocument::Create("http://pabx:8080/app-main.asp?app=3", "Console");
    document->Add(SimElement::InputText("un"))
        .Add(SimElement::InputButton("submit"))
        .Add(SimElement::Anchor("javascript:bttnLogout()"))
        .Add(SimElement::Select("terminal", "empty", 1))
        .Add(SimElement::Script("top.focus()"));
    ComPtr<IHTMLDocument2> doc(document.get());

    auto text = Item(*doc, 0);
    EXPECT_TRUE(text.As<IHTMLInputTextElement>());
    EXPECT_FALSE(text.As<IHTMLInputButtonElement>());
    EXPECT_TRUE(text.As<IHTMLElement>());
    auto button = Item(*doc, 1);
    EXPECT_TRUE(button.As<IHTMLInputButtonElement>());
    EXPECT_FALSE(button.As<IHTMLInputTextElement>());
    auto anchor = Item(*doc, 2).As<IHTMLAnchorElement>();
    ASSERT_TRUE(anchor);
    BSTR href;
    anchor->get_href(&href);
    EXPECT_EQ(FromBstr(href), "javascript:bttnLogout()");
    auto select = Item(*doc, 3).As<IHTMLSelectElement>();
    ASSERT_TRUE(select);
    LONG options = 0;
    select->get_length(&options);
    EXPECT_EQ(options, 1);
    EXPECT_TRUE(Item(*doc, 4).As<IHTMLScriptElement>());
    EXPECT_FALSE(Item(*doc, 5)); // past the end: no element
}

TEST(DomTest, LocationPartsAsThePageReportsThem) {
    auto document = SimDocument::Create("http://pabx:8080/app-main.asp?app=3", "Console");
    IHTMLLocation* raw = nullptr;
    ASSERT_EQ(document->get_location(&raw), S_OK);
    auto location = ComPtr<IHTMLLocation>::Adopt(raw);
    BSTR value;
    location->get_protocol(&value);
    EXPECT_EQ(FromBstr(value), "http:");
    location->get_host(&value);
    EXPECT_EQ(FromBstr(value), "pabx:8080");
    location->get_href(&value);
    EXPECT_EQ(FromBstr(value), "http://pabx:8080/app-main.asp?app=3");
    document->get_title(&value);
    EXPECT_EQ(FromBstr(value), "Console");
}

TEST(DomTest, WritesAndClicksAreRecordedAndFailuresAreReported) {
    qv::sim::SimPlatform sim;
    auto browser = qv::sim::SimBrowser::Create(sim.SharedLog(), "top");
    auto user = SimElement::InputText("un", "old");
    auto script = SimElement::Script("x");
    script->FailWrites();
    bool clicked = false;
    auto submit = SimElement::InputButton("submit");
    submit->OnClick([&] { clicked = true; });
    auto document = SimDocument::Create("http://pabx/");
    document->Add(user).Add(script).Add(submit);
    browser->SetDocument(document);

    user.As<IHTMLInputTextElement>()->put_value(qv::com::ToBstr("alice"));
    EXPECT_EQ(user->Value(), "alice");
    EXPECT_TRUE(FAILED(script.As<IHTMLScriptElement>()->put_text(qv::com::ToBstr("y"))));
    EXPECT_EQ(script->Text(), "x");
    submit.As<IHTMLElement>()->click();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(sim.Log().Lines(),
              (std::vector<std::string>{"value(input:un) = \"alice\"", "click(input:submit)"}));
}

TEST(DomTest, BrowserRecordsNavigationsAndHandsOutItsDocument) {
    qv::sim::SimPlatform sim;
    auto browser = qv::sim::SimBrowser::Create(sim.SharedLog(), "top");
    IDispatch* raw = nullptr;
    ASSERT_EQ(browser->get_Document(&raw), S_OK);
    EXPECT_EQ(raw, nullptr); // nothing loaded yet

    VARIANT flags = qv::com::MakeI2Variant(navNoReadFromCache);
    browser->Navigate(qv::com::ToBstr("http://pabx/app-main.asp?app=3"), &flags, nullptr, nullptr,
                      nullptr);
    EXPECT_EQ(browser->LastNavigateFlags(), navNoReadFromCache);
    auto frame = browser->AddFrame("poll");
    frame->Refresh();
    EXPECT_EQ(frame->Refreshes(), 1);
    EXPECT_EQ(browser->Frame("poll"), frame);
    EXPECT_TRUE(sim.Log().Contains("Navigate(top, http://pabx/app-main.asp?app=3, flags=4)"));

    browser->SetDocument(SimDocument::Create("http://pabx/"));
    ASSERT_EQ(browser->get_Document(&raw), S_OK);
    auto document = ComPtr<IDispatch>::Adopt(raw);
    EXPECT_TRUE(document.As<IHTMLDocument2>());
    EXPECT_FALSE(document.As<IWebBrowser2>());
}

} // namespace
