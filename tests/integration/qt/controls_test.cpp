// Controls at work: notifications to the dialog, texts, the up-down
// control with its buddy, keys through the framework's dialog, tooltips and
// painting through WM_PAINT.
#include "framework/dialog.h"
#include "platform/module/icon.h"
#include "rc/resource.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

namespace qv::test {
namespace {

class ControlsTest : public QtBackendTest {
protected:
    HWND Config(LANGID language = 0) {
        const auto dialog = LoadTemplate(IDD_CONFIG_DIALOG, language);
        return dialog ? CreateRecordingDialog(*dialog) : nullptr;
    }
};

TEST_F(ControlsTest, ClickingACheckBoxNotifiesTheDialog) {
    HWND hwnd = Config();
    HWND check = ::GetDlgItem(hwnd, IDC_AUTOSTART);
    auto* box = qobject_cast<QCheckBox*>(ws_->Widget(check));
    ASSERT_TRUE(box);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_TRUE(PumpUntil([&] { return !SeenOf(hwnd, WM_COMMAND).empty(); }));
    const Seen command = SeenOf(hwnd, WM_COMMAND).front();
    EXPECT_EQ(command.wParam, WPARAM(MAKELONG(IDC_AUTOSTART, BN_CLICKED)));
    EXPECT_EQ(command.lParam, reinterpret_cast<LPARAM>(check));
    EXPECT_EQ(::SendMessageA(check, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
}

TEST_F(ControlsTest, TextsRoundTripAsUtf8AndCutOnCharacterBoundaries) {
    HWND hwnd = Config();
    HWND user = ::GetDlgItem(hwnd, IDC_USER);
    ASSERT_TRUE(::SetWindowTextA(user, "Jürgen"));
    EXPECT_EQ(qobject_cast<QLineEdit*>(ws_->Widget(user))->text(), QStringLiteral("Jürgen"));
    EXPECT_EQ(::GetWindowTextLengthA(user), 7);
    char buffer[3];
    EXPECT_EQ(::GetWindowTextA(user, buffer, sizeof buffer), 1); // "J", not half of "ü"
    EXPECT_STREQ(buffer, "J");
    ::SetWindowTextA(hwnd, "Konfiguration – Test");
    EXPECT_EQ(ws_->Widget(hwnd)->windowTitle(), QStringLiteral("Konfiguration – Test"));
}

// Range, position and buddy are the shared contract's; here the real
// templates: only the neutral one wraps, and the buddy's arrow keys step.
TEST_F(ControlsTest, UpDownOfTheConfigurationWrapsOnlyInTheNeutralTemplate) {
    for (const auto& [language, wraps] : {std::pair<LANGID, bool>{0, true}, {0x0407, false}}) {
        SCOPED_TRACE(language);
        HWND hwnd = Config(language);
        HWND spin = ::GetDlgItem(hwnd, IDC_TIMEOUT_SPIN);
        HWND edit = ::GetDlgItem(hwnd, IDC_TIMEOUT);
        ::SendMessageA(spin, UDM_SETRANGE32, 1, 30);
        ::SendMessageA(spin, UDM_SETPOS32, 0, 30);
        Arrow(ws_->Widget(spin), +1)->click();
        EXPECT_EQ(platform::GetWindowTextString(edit), wraps ? "1" : "30");
        ::SetWindowTextA(edit, "12");
        QTest::keyClick(ws_->Widget(edit), Qt::Key_Down);
        EXPECT_EQ(platform::GetWindowTextString(edit), "11");
        ::DestroyWindow(hwnd);
    }
}

TEST_F(ControlsTest, EnterAndEscapeEndTheFrameworksDialog) {
    const auto dialog = LoadTemplate(IDD_CONFIG_DIALOG, 0);
    ASSERT_TRUE(dialog);
    for (const auto& [key, result] :
         {std::pair<Qt::Key, int>{Qt::Key_Return, IDOK}, {Qt::Key_Escape, IDCANCEL}}) {
        CDialog modal;
        modal.SetTemplate(*dialog);
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&, key = key] {
            QWidget* window = modal.m_hWnd ? ws_->Widget(modal.m_hWnd) : nullptr;
            if (!window || !window->isVisible())
                return;
            poll.stop();
            QTest::keyClick(ws_->Widget(::GetDlgItem(modal.m_hWnd, IDC_USER)), key);
        });
        poll.start();
        EXPECT_EQ(modal.DoModal(), result);
    }
}

TEST_F(ControlsTest, ToolTipsWrapAtTheMaximumWidthAndShow) {
    HWND hwnd = Config();
    HWND tip = ws_->CreateToolTipWindow(hwnd);
    ASSERT_TRUE(tip);
    ::SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 256);
    HWND user = ::GetDlgItem(hwnd, IDC_USER);
    std::string text = "Enter your PABX user name here. It is the name the console knows you by, "
                       "and it is sent with every login.";
    TOOLINFOA info;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(user);
    info.lpszText = text.data();
    ASSERT_TRUE(::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
    text.assign(text.size(), 'x'); // the control keeps its own copy

    QWidget* widget = ws_->Widget(user);
    const QStringList lines = widget->toolTip().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 2);
    const QFontMetrics metrics(QToolTip::font());
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), 256) << line.toStdString();
    EXPECT_TRUE(lines.join(' ').startsWith(QStringLiteral("Enter your PABX user name here.")));

    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ws_->Widget(hwnd)));
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &hover);
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(QToolTip::text(), widget->toolTip());
    QToolTip::hideText();
}

TEST_F(ControlsTest, PaintingGoesThroughWmPaintAndDrawsIcons) {
    EXPECT_EQ(CreateIconFromResourceEx(nullptr, 0, TRUE, 0x00030000, 0, 0, 0), nullptr); // no data
    // Red above blue: the picture must land upright and in its colours.
    HICON__ icon;
    icon.width = icon.height = 32;
    icon.argb.assign(32 * 16, 0xFFD02020u);
    icon.argb.resize(32 * 32, 0xFF2040C0u);
    platform::DialogTemplate plain;
    plain.style = WS_OVERLAPPEDWINDOW | DS_SETFONT;
    plain.cx = 80;
    plain.cy = 60;
    plain.font = platform::DialogFont{8, 0, false, 0, "MS Sans Serif"};
    int paints = 0;
    HWND hwnd = ws_->CreateDialogWindow(plain, {}, nullptr,
                                        [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                            if (m != WM_PAINT)
                                                return ::DefWindowProcA(h, m, w, l);
                                            ++paints;
                                            PAINTSTRUCT paint;
                                            HDC dc = ::BeginPaint(h, &paint);
                                            ::DrawIcon(dc, 10, 12, &icon);
                                            ::EndPaint(h, &paint);
                                            return 0;
                                        });
    const QImage shot = ws_->Widget(hwnd)->grab().toImage();
    EXPECT_GE(paints, 1);
    EXPECT_EQ(shot.pixel(10 + 5, 12 + 2), 0xFFD02020u);
    EXPECT_EQ(shot.pixel(10 + 30, 12 + 30), 0xFF2040C0u);
    EXPECT_NE(shot.pixel(10 + 33, 12 + 30), 0xFF2040C0u);
}

} // namespace
} // namespace qv::test
