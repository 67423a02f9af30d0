// window.external through the host's IDispatch: looked up by name, invoked
// with the page's arguments last first, answered with VT_BOOL.
#include "backend/qt/browser/dispatch_external.h"
#include "browser_fixture.h"

namespace qv::browser_test {
namespace {

TEST_F(BrowserTest, PageSeesIsBrowserFromTheHostsExternalObject) {
    browser->Navigate(com::ToBstr(Url("/external.html")), nullptr, nullptr, nullptr, nullptr);
    const int done = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/external.html");
    ASSERT_GE(done, 0);
    // The page calls it as a method and shows the answer in its title.
    EXPECT_EQ(TitleOf(DocumentOf(dialog->Dispatch().get()).get()), "CTI_IsBrowser=function:true");
    EXPECT_NE(std::find(external.lookedUp.begin(), external.lookedUp.end(), "CTI_IsBrowser"),
              external.lookedUp.end());
    EXPECT_GT(external.refs, 0u); // the control holds what GetExternal gave
}

TEST_F(BrowserTest, ChangeRowsArrivesWithItsArgumentsLastFirst) {
    browser->Navigate(com::ToBstr(Url("/external.html?auto=1&row1=0301234567&row2=Caller%20Name")),
                      nullptr, nullptr, nullptr, nullptr);
    const TestExternal::Call* call = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& c : external.calls) {
            if (c.id == TestExternal::kChangeRows && c.args.size() == 2)
                call = &c;
        }
        return call != nullptr;
    }));
    EXPECT_EQ(call->flags, DISPATCH_METHOD);
    ASSERT_EQ(call->args[0].vt, VT_BSTR);
    ASSERT_EQ(call->args[1].vt, VT_BSTR);
    EXPECT_EQ(com::FromBstr(call->args[1].bstrVal), "0301234567");
    EXPECT_EQ(com::FromBstr(call->args[0].bstrVal), "Caller Name");
}

TEST(DispatchExternalTest, ConvertsArgumentsAndAnswersOnlyBooleans) {
    TestExternal object;
    qt::DispatchExternal adapter{ComPtr<IDispatch>(&object)};
    EXPECT_EQ(adapter.GetIDsOfNames("CTI_IsBrowser"), TestExternal::kIsBrowser);
    EXPECT_EQ(adapter.GetIDsOfNames("cti_isbrowser"), bridge::kUnknownDispId);

    const auto answer = adapter.Invoke(TestExternal::kChangeRows, bridge::kInvokeMethod,
                                       {std::string("row"), 7.0, true, 2.5, std::monostate{}});
    EXPECT_FALSE(answer.has_value()); // a method without a result
    ASSERT_EQ(object.calls.size(), 1u);
    const auto& args = object.calls[0].args;
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[4].vt, VT_BSTR);
    EXPECT_EQ(com::FromBstr(args[4].bstrVal), "row");
    EXPECT_EQ(args[3].vt, VT_I4);
    EXPECT_EQ(args[3].lVal, 7);
    EXPECT_EQ(args[2].vt, VT_BOOL);
    EXPECT_EQ(args[2].boolVal, VARIANT_TRUE);
    EXPECT_NE(args[1].vt, VT_I4); // not a whole number
    EXPECT_EQ(args[0].vt, VT_EMPTY);

    const auto property = adapter.Invoke(TestExternal::kIsBrowser,
                                         bridge::kInvokePropertyGet | bridge::kInvokeMethod, {});
    ASSERT_TRUE(property.has_value());
    EXPECT_TRUE(*property);
    EXPECT_EQ(object.calls.back().flags, DISPATCH_PROPERTYGET | DISPATCH_METHOD);
}

} // namespace
} // namespace qv::browser_test
