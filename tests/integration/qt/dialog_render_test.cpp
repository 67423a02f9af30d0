// Every dialog template of the program, in every language it has, built by
// the backend: controls at the template's pixel rectangles, their texts and
// styles, nothing cut off, and pictures of the configuration dialog and the
// main window to look at.
#include "backend/qt/dialog_units.h"
#include "res/resource.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace qv::test {
namespace {

using platform::ControlClass;

struct TemplateCase {
    WORD id;
    LANGID language;
    const char* name;
};

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

class FakeControl : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = iid == IID_IUnknown ? this : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 0;
};

class DialogRenderTest : public QtBackendTest, public ::testing::WithParamInterface<TemplateCase> {
protected:
    qt::BaseUnits Units(const platform::DialogTemplate& dialog) {
        return qt::MeasureBaseUnits(qt::DialogFont(dialog.font));
    }
};

// The control after an up-down's buddy alignment: the arrows take the
// buddy's right edge.
QRect ExpectedRect(const platform::DialogTemplate& dialog, std::size_t index,
                   const qt::BaseUnits& units) {
    const auto& c = dialog.controls[index];
    QRect rect = qt::DialogRectToPixels(c.x, c.y, c.cx, c.cy, units);
    if (c.Class() == ControlClass::Static && (c.style & SS_TYPEMASK) == SS_ICON)
        return QRect(rect.topLeft(), QSize(32, 32));
    const bool nextIsAligned = index + 1 < dialog.controls.size() &&
                               dialog.controls[index + 1].windowClass.text == "msctls_updown32" &&
                               (dialog.controls[index + 1].style & UDS_ALIGNRIGHT);
    if (nextIsAligned) {
        const auto& u = dialog.controls[index + 1];
        rect.setWidth(rect.width() - qt::DialogUnitsToPixelsX(u.cx, units));
    }
    if (c.windowClass.text == "msctls_updown32" && (c.style & UDS_ALIGNRIGHT)) {
        const auto& b = dialog.controls[index - 1];
        const QRect buddy = qt::DialogRectToPixels(b.x, b.y, b.cx, b.cy, units);
        return QRect(buddy.x() + buddy.width() - rect.width(), buddy.y(), rect.width(),
                     buddy.height());
    }
    return rect;
}

TEST_P(DialogRenderTest, ControlsSitAtTheirRectanglesWithTheirTextsAndStyles) {
    const auto dialog = LoadTemplate(GetParam().id, GetParam().language);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    ASSERT_TRUE(hwnd);
    const auto units = Units(*dialog);
    // The platform's units for its 8-point dialog font at 96 dpi.
    EXPECT_EQ(units.x, 6);
    EXPECT_EQ(units.y, 13);

    RECT client{};
    ASSERT_TRUE(::GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, qt::DialogUnitsToPixelsX(dialog->cx, units));
    EXPECT_EQ(client.bottom, qt::DialogUnitsToPixelsY(dialog->cy, units));
    EXPECT_EQ(platform::GetWindowTextString(hwnd), dialog->caption);

    const auto children = ws_->Tree().Children(hwnd);
    ASSERT_EQ(children.size(), dialog->controls.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto& control = dialog->controls[i];
        SCOPED_TRACE("control " + std::to_string(control.id));
        QWidget* widget = ws_->Widget(children[i]);
        ASSERT_TRUE(widget);
        EXPECT_EQ(::GetDlgCtrlID(children[i]), int(control.id));
        EXPECT_EQ(widget->geometry(), ExpectedRect(*dialog, i, units));
        if (!control.title.IsOrdinal() && control.Class() != ControlClass::Other) {
            EXPECT_EQ(platform::GetWindowTextString(children[i]), control.title.text);
        }
        EXPECT_EQ(widget->isVisibleTo(widget->window()), bool(control.style & WS_VISIBLE));
        if (control.id != 0xFFFF) {
            EXPECT_EQ(::GetDlgItem(hwnd, int(control.id)), children[i]);
        }
    }
}

TEST_P(DialogRenderTest, NoTextIsCutOff) {
    const auto dialog = LoadTemplate(GetParam().id, GetParam().language);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    ASSERT_TRUE(hwnd);
    for (HWND child : ws_->Tree().Children(hwnd)) {
        QWidget* widget = ws_->Widget(child);
        const std::string text = platform::GetWindowTextString(child);
        SCOPED_TRACE(text);
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull()) {
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            }
            // No single word may be wider than the label.
            for (const QString& word : label->text().remove('&').split(QLatin1Char(' ')))
                EXPECT_LE(label->fontMetrics().horizontalAdvance(word), label->width());
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_LE(check->sizeHint().width(), check->width());
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')) + 8,
                      button->width());
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_GE(edit->height(), edit->fontMetrics().height() + 4);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogRenderTest, ::testing::ValuesIn(kCases),
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

TEST_F(ConfigDialogTest, ScreenshotsInEnglishAndGerman) {
    for (const auto& [language, name] :
         {std::pair<LANGID, const char*>{0, "config_en.png"}, {0x0407, "config_de.png"}}) {
        const auto dialog = LoadTemplate(IDD_CONFIG_DIALOG, language);
        ASSERT_TRUE(dialog);
        HWND hwnd = CreateRecordingDialog(*dialog);
        ::SetWindowTextA(::GetDlgItem(hwnd, IDC_ADDRESS), "192.168.10.20");
        ::SetWindowTextA(::GetDlgItem(hwnd, IDC_USER), "jdoe");
        ::SetWindowTextA(::GetDlgItem(hwnd, IDC_PASSWORD), "secret");
        ::SetWindowTextA(::GetDlgItem(hwnd, IDC_TIMEOUT), "5");
        ::SendMessageA(::GetDlgItem(hwnd, IDC_AUTOLOGIN), BM_SETCHECK, BST_CHECKED, 0);
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
        QWidget* widget = ws_->Widget(hwnd);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        const QString path = SaveScreenshot(widget, QString::fromLatin1(name));
        const QImage shot(path);
        EXPECT_EQ(shot.size(), widget->size());
        ::DestroyWindow(hwnd);
    }
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
    const auto dialog = LoadTemplate(IDD_BROWSER_DIALOG, 0);
    ASSERT_TRUE(dialog);
    HRSRC initResource = FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_DLGINIT_ID),
                                         MAKEINTRESOURCEA(IDD_BROWSER_DIALOG), 0);
    ASSERT_TRUE(initResource);
    const auto init = platform::ParseDlgInit(
        static_cast<const BYTE*>(LockResource(LoadResource(nullptr, initResource))),
        SizeofResource(nullptr, initResource));
    ASSERT_TRUE(init);
    HWND hwnd = ws_->CreateDialogWindow(*dialog, *init, nullptr, ::DefWindowProcA);
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

    ::DestroyWindow(hwnd);
    EXPECT_EQ(control.refs, 0u);
}

TEST_F(ConfigDialogTest, WithoutAFactoryTheControlIsAnEmptyWindow) {
    const auto dialog = LoadTemplate(IDD_POPUP_BROWSER, 0);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    HWND browser = ::GetDlgItem(hwnd, IDC_POPUP_EXPLORER);
    ASSERT_TRUE(browser);
    EXPECT_FALSE(ws_->ControlObject(browser));
    EXPECT_TRUE(ws_->Widget(browser)->children().size() <= 1u); // its layout only
}

TEST_F(ConfigDialogTest, InfoDialogShowsTheProgramIcon) {
    const auto dialog = LoadTemplate(IDD_INFO_DIALOG, 0);
    ASSERT_TRUE(dialog);
    HWND hwnd = CreateRecordingDialog(*dialog);
    auto* icon = qobject_cast<QLabel*>(ws_->Widget(ws_->Tree().Children(hwnd).front()));
    ASSERT_TRUE(icon);
    ASSERT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
    // Not an empty picture: some pixel is opaque.
    const QImage image = icon->pixmap().toImage();
    bool opaque = false;
    for (int y = 0; y < image.height() && !opaque; ++y)
        for (int x = 0; x < image.width() && !opaque; ++x)
            opaque = qAlpha(image.pixel(x, y)) > 0;
    EXPECT_TRUE(opaque);
}

} // namespace
} // namespace qv::test
