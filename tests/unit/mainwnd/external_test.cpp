// The page's external object and the host settings the control site gives.
#include "system_fixture.h"

namespace {

using qv::com::MakeBstrVariant;
using qv::systest::WindowTest;

class ExternalTest : public WindowTest {
protected:
    CCtiExternal& External() { return *app.m_pExternal; }
    HRESULT IdsOf(std::vector<std::u16string> names, std::vector<DISPID>& ids) {
        std::vector<LPOLESTR> pointers;
        for (auto& name : names)
            pointers.push_back(name.data());
        ids.assign(names.size(), 0);
        return External().GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(names.size()),
                                        0, ids.data());
    }
    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANT> reversedArgs, VARIANT* result) {
        DISPPARAMS params;
        params.rgvarg = reversedArgs.data();
        params.cArgs = static_cast<UINT>(reversedArgs.size());
        return External().Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
    }
};

TEST_F(ExternalTest, OffersOnlyIDispatchAndNeverFreesItself) {
    void* object = &External();
    EXPECT_EQ(External().QueryInterface(IID_IUnknown, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    object = &External();
    EXPECT_EQ(External().QueryInterface(IID_IWebBrowser2, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(External().QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch*>(&External()));
    EXPECT_EQ(External().m_nRefCount, 1u);
    EXPECT_EQ(External().Release(), 0u);
    // Released below zero the object is still there and still answers.
    External().Release();
    std::vector<DISPID> ids;
    EXPECT_EQ(IdsOf({u"CTI_IsBrowser"}, ids), S_OK);
    EXPECT_EQ(External().AddRef(), 0u);
}

TEST_F(ExternalTest, NamesAreExactAndUnknownOnesDoNotStopTheOthers) {
    std::vector<DISPID> ids;
    EXPECT_EQ(IdsOf({u"CTI_IsBrowser", u"CTI_ChangeRows"}, ids), S_OK);
    EXPECT_EQ(ids, (std::vector<DISPID>{12345, 12344}));
    EXPECT_EQ(IdsOf({u"CTI_IsBrowser", u"cti_isbrowser", u"CTI_ChangeRows", u""}, ids),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{12345, DISPID_UNKNOWN, 12344, DISPID_UNKNOWN}));
    EXPECT_EQ(IdsOf({}, ids), S_OK);
}

TEST_F(ExternalTest, IsBrowserIsTrueAsPropertyAndAsMethod) {
    for (WORD flags :
         {DISPATCH_PROPERTYGET, DISPATCH_METHOD, WORD(DISPATCH_METHOD | DISPATCH_PROPERTYGET)}) {
        VARIANT result;
        EXPECT_EQ(Call(DISPID_CTI_ISBROWSER, flags, {}, &result), S_OK);
        EXPECT_EQ(result.vt, VT_BOOL);
        EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    }
    // Without a result nothing is written, and nothing fails.
    EXPECT_EQ(Call(DISPID_CTI_ISBROWSER, DISPATCH_METHOD, {}, nullptr), S_OK);
    VARIANT untouched;
    EXPECT_EQ(Call(777, DISPATCH_PROPERTYGET, {}, &untouched), S_OK);
    EXPECT_EQ(untouched.vt, VT_EMPTY);
}

TEST_F(ExternalTest, ChangeRowsTakesTheLastTwoStringArguments) {
    auto& dialog = *owned;
    // Arguments stand last first: ("extra", "0123456789", "Call").
    EXPECT_EQ(
        Call(DISPID_CTI_CHANGEROWS, DISPATCH_METHOD,
             {MakeBstrVariant("Call"), MakeBstrVariant("0123456789"), MakeBstrVariant("extra")},
             nullptr),
        S_OK);
    EXPECT_EQ(Call(DISPID_CTI_CHANGEROWS, DISPATCH_METHOD,
                   {MakeBstrVariant("Anruf"), MakeBstrVariant("Müller")}, nullptr),
              S_OK);
    EXPECT_EQ(dialog.rows, (std::vector<std::pair<std::string, std::string>>{{"0123456789", "Call"},
                                                                             {"Müller", "Anruf"}}));
    // Capped as script rows are: 1,023 bytes and then a two-byte character
    // is cut before it.
    dialog.rows.clear();
    const std::string row1 = std::string(1023, '1') + "\xC3\xBC" + std::string(5000, '2');
    Call(DISPID_CTI_CHANGEROWS, DISPATCH_METHOD,
         {MakeBstrVariant(std::string(2000, 'x')), MakeBstrVariant(row1)}, nullptr);
    EXPECT_EQ(dialog.rows, (std::vector<std::pair<std::string, std::string>>{
                               {std::string(1023, '1'), std::string(1024, 'x')}}));

    // Too few or non-string arguments, or not a method call: ignored.
    dialog.rows.clear();
    VARIANT result;
    EXPECT_EQ(Call(DISPID_CTI_CHANGEROWS, DISPATCH_METHOD, {MakeBstrVariant("x")}, nullptr), S_OK);
    EXPECT_EQ(Call(DISPID_CTI_CHANGEROWS, DISPATCH_METHOD,
                   {MakeBstrVariant("x"), qv::com::MakeI4Variant(5)}, nullptr),
              S_OK);
    EXPECT_EQ(Call(DISPID_CTI_CHANGEROWS, DISPATCH_PROPERTYGET,
                   {MakeBstrVariant("a"), MakeBstrVariant("b")}, &result),
              S_OK);
    EXPECT_TRUE(dialog.rows.empty());
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
}

TEST_F(ExternalTest, HostedBrowserGetsTheProgramsHostSettings) {
    ASSERT_NE(top, nullptr);
    auto info = top->HostInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->dwFlags, DOCHOSTUIFLAG_NO3DBORDER);
    EXPECT_EQ(info->dwDoubleClick, DOCHOSTUIDBLCLK_DEFAULT);

    {
        // The site lives with the window: references to it go first.
        auto handler = top->HostUIHandler();
        EXPECT_EQ(handler->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
        EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
        EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(handler->GetDropTarget(nullptr, nullptr), E_NOTIMPL);
    }

    {
        auto page = top->External();
        EXPECT_EQ(page.get(), static_cast<IDispatch*>(&External()));
        EXPECT_EQ(External().m_nRefCount, 1u);
    }
    EXPECT_EQ(External().m_nRefCount, 0u);
}

} // namespace
