// Every dialog template of the program, in every language it has, built by
// the backend: controls where their template puts them in the dialog's
// units, their texts and styles; the program's dialogs with the texts they
// show, whole in whatever sans face is installed, and their pictures to
// look at.
#include "backend/qt/dialog_units.h"
#include "dialogs/config_dlg.h"
#include "dialogs/info_dlg.h"
#include "rc/resource.h"
#include "support/support.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <cstdlib>

namespace qv::test {
namespace {

using platform::ControlClass;

struct TemplateCase {
    WORD id;
    LANGID language;
    const char* name;
};
// Cases are listed (and so named in CTest) by their name, not their bytes.
void PrintTo(const TemplateCase& c, std::ostream* os) {
    *os << c.name;
}

// 110, 112 and 120 exist only neutral, so every language gets that copy.
const TemplateCase kCases[] = {
    {IDD_INFO_DIALOG, 0, "info"},
    {IDD_BROWSER_DIALOG, 0, "main"},
    {IDD_CONFIG_DIALOG, 0, "config_en"},
    {IDD_CONFIG_DIALOG, 0x0407, "config_de"},
    {IDD_CONFIG_DIALOG, 0x040C, "config_fr"},
    {IDD_CONFIG_DIALOG, 0x0413, "config_nl"},
    {IDD_POPUP_BROWSER, 0, "popup"},
};

// What the factory hosts: only its references count.
class FakeControl : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 0;
};

class DialogRenderTest : public QtBackendTest,
                         public ::testing::WithParamInterface<TemplateCase> {};

TEST_P(DialogRenderTest, ControlsKeepTheTemplateLayoutWithTheirTextsAndStyles) {
    const auto dialog = LoadTemplate(GetParam().id, GetParam().language);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    ASSERT_TRUE(hwnd);
    const QFont font = qt::DialogFont(dialog->font);
    const qt::BaseUnits fontUnits = qt::MeasureBaseUnits(font);
    // The font the templates were drawn for gives the platform's own units
    // for its 8-point dialog font at 96 dpi.
    if (QFontInfo(font).family() == QStringLiteral("Liberation Sans")) {
        EXPECT_EQ(fontUnits.x, 6);
        EXPECT_EQ(fontUnits.y, 13);
    }

    // Down in the font's units; across in units that may be wider so the
    // texts fit, never narrower, the same for every control.
    RECT client{};
    ASSERT_TRUE(::GetClientRect(hwnd, &client));
    EXPECT_EQ(client.bottom, qt::DialogUnitsToPixelsY(dialog->cy, fontUnits));
    const double across = 4.0 * client.right / dialog->cx; // pixels per 4 units
    EXPECT_GE(across, fontUnits.x - 4.0 / dialog->cx);
    EXPECT_EQ(platform::GetWindowTextString(hwnd), dialog->caption);

    const auto children = ws_->Tree().Children(hwnd);
    ASSERT_EQ(children.size(), dialog->controls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto& control = dialog->controls[i];
        SCOPED_TRACE("control " + std::to_string(control.id));
        QWidget* widget = ws_->Widget(children[i]);
        ASSERT_TRUE(widget);
        EXPECT_EQ(::GetDlgCtrlID(children[i]), int(control.id));
        const QRect at = widget->geometry();
        EXPECT_EQ(at.y(), qt::DialogUnitsToPixelsY(control.y, fontUnits));
        const bool icon =
            control.Class() == ControlClass::Static && (control.style & SS_TYPEMASK) == SS_ICON;
        const bool arrows =
            control.windowClass.text == "msctls_updown32" && (control.style & UDS_ALIGNRIGHT);
        if (!arrows) {
            EXPECT_NEAR(at.x(), control.x * across / 4, 1.0);
        }
        if (icon) {
            EXPECT_EQ(at.size(), QSize(32, 32));
            // The program's icon, not an empty picture.
            const QImage image = qobject_cast<QLabel*>(widget)->pixmap().toImage();
            QImage empty(QSize(32, 32), image.format());
            empty.fill(Qt::transparent);
            EXPECT_EQ(image.size(), QSize(32, 32));
            EXPECT_NE(image, empty);
        } else if (arrows) {
            // The arrows take the right edge of their buddy, the edit before them.
            const auto& buddy = dialog->controls[i - 1];
            const QRect edit = ws_->Widget(children[i - 1])->geometry();
            EXPECT_NEAR(at.right() + 1, (buddy.x + buddy.cx) * across / 4, 1.0);
            EXPECT_EQ(edit.right() + 1, at.left());
            EXPECT_EQ(edit.top(), at.top());
            EXPECT_EQ(edit.height(), at.height());
        } else if (i + 1 == dialog->controls.size() ||
                   dialog->controls[i + 1].windowClass.text != "msctls_updown32") {
            // (A buddy's width goes with its arrows.)
            EXPECT_EQ(at.height(), qt::DialogUnitsToPixelsY(control.cy, fontUnits));
            EXPECT_NEAR(at.width(), control.cx * across / 4, 1.0);
        }
        if (!control.title.IsOrdinal() && control.Class() != ControlClass::Other) {
            EXPECT_EQ(platform::GetWindowTextString(children[i]), control.title.text);
        }
        EXPECT_EQ(widget->isVisibleTo(widget->window()), bool(control.style & WS_VISIBLE));
        if (control.id != 0xFFFF) {
            EXPECT_EQ(::GetDlgItem(hwnd, int(control.id)), children[i]);
        }
        // Without a factory a hosted control is an empty window.
        if (control.windowClass.text.starts_with('{')) {
            EXPECT_FALSE(ws_->ControlObject(children[i]));
            EXPECT_LE(widget->children().size(), 1u); // its layout only
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogRenderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The program's own dialogs as the user gets them: the template of the
// user's language, the texts their initialisation puts in, shown.
struct ShownCase {
    const char* locale;
    LANGID language; // of the configuration template a modal run picks
    const char* name;
};
void PrintTo(const ShownCase& c, std::ostream* os) {
    *os << c.name;
}

const ShownCase kShownCases[] = {{"en_US.UTF-8", 0, "en"},
                                 {"de_DE.UTF-8", 0x0407, "de"},
                                 {"fr_FR.UTF-8", 0x040C, "fr"},
                                 {"nl_NL.UTF-8", 0x0413, "nl"}};

class DialogTextsTest : public QtBackendTest, public ::testing::WithParamInterface<ShownCase> {
protected:
    // Shows the dialog, checks that every text is whole, and keeps a picture
    // per font family.
    void ExpectWholeTexts(CDialog& dialog, const char* what) {
        ASSERT_TRUE(dialog.m_hWnd);
        ::ShowWindow(dialog.m_hWnd, SW_SHOWNORMAL);
        QWidget* window = ws_->Widget(dialog.m_hWnd);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QString family = QFontInfo(window->font()).family();
        // Each run of these tests sees one family: make sure it is that one
        // (Qt names the foundry too where two have the family).
        if (const char* expected = std::getenv("QV_TEST_FONT_FAMILY")) {
            EXPECT_TRUE(family.startsWith(QString::fromUtf8(expected))) << family.toStdString();
        }
        for (HWND child : ws_->Tree().Children(dialog.m_hWnd)) {
            QWidget* widget = ws_->Widget(child);
            SCOPED_TRACE(platform::GetWindowTextString(child));
            if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull()) {
                // Wrapped or not, the text takes no more room than the label has.
                if (label->wordWrap())
                    EXPECT_LE(label->heightForWidth(label->width()), label->height());
                else
                    EXPECT_LE(label->sizeHint().width(), label->width());
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = button->text();
                const QStyle::SubElement contents = qobject_cast<QCheckBox*>(button)
                                                        ? QStyle::SE_CheckBoxContents
                                                        : QStyle::SE_PushButtonContents;
                const QRect room = button->style()->subElementRect(contents, &option, button);
                const QString shown = QString(button->text()).remove(QLatin1Char('&'));
                EXPECT_LE(button->fontMetrics().horizontalAdvance(shown), room.width());
                EXPECT_LE(room.right(), button->width());
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                EXPECT_GE(edit->height(), edit->fontMetrics().height() + 4);
            }
            // Inside the dialog.
            EXPECT_TRUE(window->rect().contains(widget->geometry()));
        }
        QString slug = family.toLower();
        slug.replace(QLatin1Char(' '), QLatin1Char('-'));
        SaveScreenshot(window, QStringLiteral("dialog-%1-%2_%3.png")
                                   .arg(slug, QLatin1String(what), QLatin1String(GetParam().name)));
    }

    ScopedLocale locale_{GetParam().locale};
};

TEST_P(DialogTextsTest, ConfigurationDialog) {
    CConfigDlg dialog;
    const auto localized = LoadTemplate(IDD_CONFIG_DIALOG, GetParam().language);
    ASSERT_TRUE(localized);
    dialog.SetTemplate(*localized);
    ASSERT_TRUE(dialog.Create(LPCSTR(nullptr)));
    ExpectWholeTexts(dialog, "config");
    dialog.DestroyWindow();
}

TEST_P(DialogTextsTest, InfoDialog) {
    CInfoDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_INFO_DIALOG));
    // The copyright line is the longest text; it must be there to be measured.
    EXPECT_NE(
        platform::GetWindowTextString(::GetDlgItem(dialog.m_hWnd, IDC_COPYRIGHT)).find("Partners"),
        std::string::npos);
    ExpectWholeTexts(dialog, "info");
    dialog.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTextsTest, ::testing::ValuesIn(kShownCases),
                         [](const auto& info) { return std::string(info.param.name); });

class ConfigDialogTest : public QtBackendTest {};

TEST_F(ConfigDialogTest, PasswordHiddenTimeoutDigitsOnlyAndMnemonicsHaveBuddies) {
    const auto dialog = LoadTemplate(IDD_CONFIG_DIALOG, 0x0407);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    auto* password = qobject_cast<QLineEdit*>(ws_->Widget(::GetDlgItem(hwnd, IDC_PASSWORD)));
    auto* user = qobject_cast<QLineEdit*>(ws_->Widget(::GetDlgItem(hwnd, IDC_USER)));
    auto* timeout = qobject_cast<QLineEdit*>(ws_->Widget(::GetDlgItem(hwnd, IDC_TIMEOUT)));
    ASSERT_TRUE(password && user && timeout);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(user->echoMode(), QLineEdit::Normal);
    QTest::keyClicks(timeout, QStringLiteral("4x2"));
    EXPECT_EQ(timeout->text(), QStringLiteral("42"));

    // Each label's mnemonic leads to the edit after it.
    const auto children = ws_->Tree().Children(hwnd);
    auto* userLabel = qobject_cast<QLabel*>(ws_->Widget(children[2]));
    ASSERT_TRUE(userLabel);
    EXPECT_EQ(userLabel->buddy(), user);
    EXPECT_EQ(platform::GetWindowTextString(children[2]), "&Benutzername");

    auto* ok = qobject_cast<QPushButton*>(ws_->Widget(::GetDlgItem(hwnd, IDOK)));
    auto* cancel = qobject_cast<QPushButton*>(ws_->Widget(::GetDlgItem(hwnd, IDCANCEL)));
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
}

TEST_F(ConfigDialogTest, MainWindowHostsTheBrowserControlFromTheFactory) {
    FakeControl control;
    std::string classId;
    std::size_t initBytes = 0;
    WORD initMessage = 0;
    QLabel* page = nullptr;
    ws_->SetActiveXFactory(
        [&](QWidget* container, const std::string& id, const platform::DlgInitRecord* init) {
            classId = id;
            if (init) {
                initBytes = init->data.size();
                initMessage = init->message;
            }
            page = new QLabel(QStringLiteral("console page"), container);
            page->setAutoFillBackground(true);
            page->setStyleSheet(QStringLiteral("background: #2a6db0; color: white"));
            container->layout()->addWidget(page);
            return com::ComPtr<IUnknown>(&control);
        });
    // The framework finds the control's init data by the template's name.
    CDialog frame;
    ASSERT_TRUE(frame.Create(IDD_BROWSER_DIALOG));
    HWND hwnd = frame.m_hWnd;
    HWND browser = ::GetDlgItem(hwnd, IDC_EXPLORER);
    ASSERT_TRUE(browser);
    EXPECT_EQ(classId, "{8856F961-340A-11D0-A96B-00C04FD705A2}");
    EXPECT_EQ(initMessage, 0x0376);
    EXPECT_EQ(initBytes, 160u);
    EXPECT_EQ(ws_->ControlObject(browser).get(), &control);
    EXPECT_EQ(control.refs, 1u);

    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    QWidget* widget = ws_->Widget(hwnd);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    // The hosted widget fills the control, which fills the client area.
    EXPECT_EQ(ws_->Widget(browser)->geometry(), widget->rect());
    EXPECT_EQ(page->size(), ws_->Widget(browser)->size());
    SaveScreenshot(widget, QStringLiteral("main_window.png"));

    frame.DestroyWindow();
    EXPECT_EQ(control.refs, 0u);
}

} // namespace
} // namespace qv::test
