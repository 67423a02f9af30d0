// The program's HTML resources under res://<module path>/<name>: pages with
// their style sheets and pictures, names in any case, and nothing from
// another module or a name the module lacks.
#include "backend/qt/bridge/page_bridge.h"
#include "browser_fixture.h"
#include "platform/module/module.h"
#include "platform/module/resources.h"
#include "support/support.h"

#include <QFile>
#include <QWebEnginePage>
#include <optional>

namespace qv::browser_test {
namespace {

// A space in the path, as under a user's own folder.
constexpr const char* kModule = "/opt/quorvia test/bin/quorvia";

HINSTANCE PagesModule() {
    static std::unique_ptr<HINSTANCE__> module = [] {
        QFile file(QStringLiteral(QV_RES_PAGES));
        if (!file.open(QIODevice::ReadOnly))
            return std::unique_ptr<HINSTANCE__>();
        const QByteArray bytes = file.readAll();
        return platform::LoadResourceModuleCopy(
            {reinterpret_cast<const std::byte*>(bytes.data()), std::size_t(bytes.size())}, kModule);
    }();
    return module.get();
}

std::string ResUrl(const std::string& module, const std::string& name) {
    return "res://" + module + "/" + name;
}

class ResSchemeTest : public BrowserTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(PagesModule()) << "cannot read " << QV_RES_PAGES;
        platform::SetModuleFileNameForTesting(kModule);
        previous_ = AfxGetResourceHandle();
        AfxSetResourceHandle(PagesModule());
        BrowserTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Control(*dialog) && Control(*dialog)->Bridge());
        page_ = Control(*dialog)->Bridge()->Page();
        QObject::connect(page_, &QWebEnginePage::loadFinished, [this](bool ok) { loaded_ = ok; });
    }
    void TearDown() override {
        page_ = nullptr;
        BrowserTest::TearDown();
        AfxSetResourceHandle(previous_);
        platform::SetModuleFileNameForTesting("");
    }

    // Whether the top document loaded, by the host's navigation or by
    // `script`; nullopt when the engine never finished.
    std::optional<bool> Load(const std::string& url, const QString& script = {}) {
        loaded_.reset();
        if (!script.isEmpty())
            RunJs(page_, script);
        else if (browser->Navigate(com::ToBstr(url), nullptr, nullptr, nullptr, nullptr) != S_OK)
            return false;
        WaitUntil([&] { return loaded_.has_value(); }, 10000);
        return loaded_;
    }

    // Text, so a failure prints readably.
    std::string JsText(const QString& script) {
        return RunJs(page_, script).toString().toStdString();
    }
    std::string Title() { return JsText("document.title"); }

    // English pages are wanted; German is what some resources only have.
    test::ScopedEnv language_{"LC_ALL", "en_US.UTF-8"};
    QWebEnginePage* page_ = nullptr;
    std::optional<bool> loaded_;
    HINSTANCE previous_ = nullptr;
};

TEST_F(ResSchemeTest, PagesLoadWithTheirStyleSheetAndPictureByNamesInAnyCase) {
    ASSERT_EQ(Load(ResUrl(kModule, "page.htm")), std::optional<bool>(true));
    // The user's language wins over the German copy of the page.
    EXPECT_EQ(Title(), "Read me");
    const int complete = WaitForEvent(*dialog, DISPID_DOCUMENTCOMPLETE, "/page.htm");
    ASSERT_GE(complete, 0);
    EXPECT_EQ(TitleOf(DocumentOf(dialog->events[std::size_t(complete)].frame.get()).get()),
              "Read me");
    // Served as UTF-8, not guessed as Latin-1.
    EXPECT_EQ(JsText("document.getElementById('text').textContent"), "Grüße");
    // The style sheet exists only in German and is still found.
    EXPECT_EQ(JsText("getComputedStyle(document.getElementById('text')).color"), "rgb(1, 2, 3)");
    EXPECT_EQ(JsText("document.getElementById('dot').naturalWidth"), "5");
    EXPECT_EQ(JsText("document.getElementById('dot').naturalHeight"), "3");

    // Pages link to each other.
    EXPECT_EQ(Load("", "document.getElementById('next').click()"), std::optional<bool>(true));
    EXPECT_EQ(Title(), "Other page");
    EXPECT_TRUE(page_->url().toString().endsWith("/other.htm"))
        << page_->url().toString().toStdString();

    ASSERT_EQ(Load(ResUrl(kModule, "PAGE.HTM")), std::optional<bool>(true));
    EXPECT_EQ(Title(), "Read me");
    ASSERT_EQ(Load(ResUrl(kModule, "Other.Htm")), std::optional<bool>(true));
    EXPECT_EQ(Title(), "Other page");
}

TEST_F(ResSchemeTest, ForeignModulesAndMissingNamesServeNothing) {
    const std::string module = kModule;
    const std::string folder = module.substr(0, module.rfind('/'));
    for (const std::string& url : {
             ResUrl(module, "missing.htm"),
             ResUrl(module, ""),
             ResUrl("/bin/ls", "page.htm"),
             ResUrl(module + "2", "page.htm"),
             ResUrl(folder, "page.htm"),
             ResUrl(module + "/sub", "page.htm"),
             "res://" + module.substr(1) + "/page.htm",
         }) {
        SCOPED_TRACE(url);
        // Start from a page of ours, so leftovers would show.
        ASSERT_EQ(Load(ResUrl(kModule, "other.htm")), std::optional<bool>(true));
        EXPECT_EQ(Load(url), std::optional<bool>(false));
        EXPECT_NE(Title(), "Read me");
        EXPECT_EQ(JsText("document.body ? document.body.textContent : ''").find("Grüße"),
                  std::string::npos);
    }
}

} // namespace
} // namespace qv::browser_test
