#include "pages.h"

#include "escape.h"

namespace qv::testconsole {

namespace {

constexpr std::string_view kStyle = R"HTML(<style>
body { font-family: sans-serif; margin: 12px; background: #eef1f4; color: #1d2733; }
h1 { font-size: 1.3em; }
label { display: block; margin: 6px 0; }
.error { color: #a40000; }
.bar a { margin-right: 14px; }
.lcd { font-family: monospace; font-size: 1.4em; background: #b9d3a0; border: 2px inset #6d8a55;
       width: 22ch; display: block; margin: 4px 0; }
</style>
)HTML";

std::string Head(std::string_view title) {
    std::string out = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>";
    out += HtmlEscape(title);
    out += "</title>\n";
    out += kStyle;
    out += "</head>\n";
    return out;
}

std::string ConsoleTitle(std::string_view user) {
    return "PABX Console - " + std::string(user);
}

} // namespace

std::string LoginPage(std::string_view userName, std::string_view message) {
    std::string out = Head("PABX Console - Login");
    out += "<body>\n<h1>PABX Console</h1>\n";
    if (!message.empty())
        out += "<p class=\"error\">" + HtmlEscape(message) + "</p>\n";
    out += "<form name=\"login\" method=\"post\" action=\"/login.asp\" target=\"_top\">\n"
           "<label>User name <input type=\"text\" name=\"un\" value=\"" +
           HtmlEscape(userName) +
           "\" autocomplete=\"username\"></label>\n"
           "<label>Password <input type=\"password\" name=\"pw\" "
           "autocomplete=\"current-password\"></label>\n"
           "<input type=\"submit\" value=\"Log in\">\n"
           "</form>\n</body></html>\n";
    return out;
}

std::string AppPage(std::string_view user) {
    // A legacy frameset: vp_disp must be a direct child of top for the poll
    // frame's top.vp_disp.document.display path.
    std::string out = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\" "
                      "\"http://www.w3.org/TR/html4/frameset.dtd\">\n"
                      "<html><head><meta charset=\"utf-8\">\n<title>";
    out += HtmlEscape(ConsoleTitle(user));
    out += "</title></head>\n"
           "<frameset rows=\"48,*,0\" frameborder=\"0\" border=\"0\" framespacing=\"0\">\n"
           "<frame name=\"vp_bttn\" src=\"/vp-buttons.asp\" scrolling=\"no\" noresize>\n"
           "<frame name=\"vp_disp\" src=\"/vp-display.asp\" noresize>\n"
           "<frame name=\"vp_poll\" src=\"/vp-poll.asp\" scrolling=\"no\" noresize>\n"
           "<noframes><body>This console needs a browser with frames.</body></noframes>\n"
           "</frameset></html>\n";
    return out;
}

std::string TerminalPage(std::string_view user) {
    // No logout link of the javascript: kind here: the desktop program must see
    // this page as "not logged in yet" and retry it later.
    std::string out = Head(ConsoleTitle(user));
    out += "<body>\n<h1>Select terminal</h1>\n<p>No terminal is assigned to " + HtmlEscape(user) +
           " yet. The telephones may still be starting; try again in a moment.</p>\n"
           "<form name=\"terminalform\" onsubmit=\"return false\">\n"
           "<select name=\"terminal\"><option value=\"empty\">(no terminal)</option></select>\n"
           "<input type=\"button\" value=\"Try again\" onclick=\"location.reload()\">\n"
           "</form>\n"
           "<p><a href=\"/logout.asp\" target=\"_top\">Log out</a></p>\n"
           "</body></html>\n";
    return out;
}

std::string ButtonsPage(std::string_view user) {
    std::string out = Head("Buttons");
    out += R"HTML(<script>
function bttnVphoneLogout() { document.forms.logout.submit(); }
function bttnLogout() { bttnVphoneLogout(); }
function bttnVphoneExit() {
    document.forms.logout.after.value = "close";
    document.forms.logout.submit();
}
function bttnConfig() {
    window.open("/config.asp", "vp_config", "width=560,height=420,resizable=yes");
}
function bttnHelp() {
    window.open("/help.asp", "vp_help", "width=600,height=480,resizable=yes,scrollbars=yes");
}
</script>
<body class="bar">
<form name="logout" method="post" action="/logout.asp" target="_top">
<input type="hidden" name="after" value="">
</form>
)HTML";
    out += "<b>" + HtmlEscape(user) + "</b> &middot; terminal " + std::string(kTerminalName) +
           " &nbsp; ";
    out += R"HTML(<a href="javascript:bttnVphoneLogout();">Logout</a>
<a href="javascript:bttnConfig()">Configuration</a>
<a href="javascript:bttnHelp()">Help</a>
<a href="javascript:bttnVphoneExit()">Exit</a>
</body></html>
)HTML";
    return out;
}

std::string DisplayPage() {
    std::string out = Head("Display");
    // The poll frame fills the rows and then calls qvRowsChanged; a host that
    // offers window.external.CTI_ChangeRows hears about every change.
    out += R"HTML(<script>
var qvShown = ["", ""];
function qvRowsChanged() {
    var f = document.display;
    var rows = [f.row1.value, f.row2.value];
    if (rows[0] === qvShown[0] && rows[1] === qvShown[1])
        return;
    qvShown = rows;
    try {
        if (window.external && window.external.CTI_IsBrowser)
            window.external.CTI_ChangeRows(rows[0], rows[1]);
    } catch (e) {
        // A plain browser has no such host; the display still shows the rows.
    }
}
</script>
<body>
<form name="display" onsubmit="return false">
<input type="text" name="row1" class="lcd" value="" readonly>
<input type="text" name="row2" class="lcd" value="" readonly>
</form>
</body></html>
)HTML";
    return out;
}

std::string PollPage(const DisplayRows& rows, int pollMs) {
    std::string out = Head("Poll");
    // The frames load in parallel, so the display form may not exist yet on
    // the first poll; try a few times before giving up until the next reload.
    out += R"HTML(<body>
<script>
function qvShowRows(tries) {
    var d = top.vp_disp;
    if (!(d && d.document && d.document.display)) {
        if (tries > 0)
            setTimeout(function () { qvShowRows(tries - 1); }, 250);
        return;
    }
    top.vp_disp.document.display.row1.value=)HTML";
    out += JsStringLiteral(rows.row1);
    out += ";top.vp_disp.document.display.row2.value=";
    out += JsStringLiteral(rows.row2);
    out += R"HTML(;top.focus();
    if (d.qvRowsChanged)
        d.qvRowsChanged();
}
qvShowRows(8);
</script>
<script>
setTimeout(function () { location.reload(); }, )HTML";
    out += std::to_string(pollMs);
    out += R"HTML();
</script>
</body></html>
)HTML";
    return out;
}

std::string SessionEndedPage() {
    std::string out = Head("Session ended");
    out += "<body>\n<p>The session has ended. <a href=\"" + std::string(kStartPage) +
           "\" target=\"_top\">Log in again</a></p>\n<script>\ntop.location.href = \"" +
           std::string(kStartPage) + "\";\n</script>\n</body></html>\n";
    return out;
}

std::string ConfigPage(std::string_view user) {
    std::string out = Head("PABX Console - Configuration");
    out += "<body>\n<h1>Configuration</h1>\n<table>\n<tr><td>User</td><td>" + HtmlEscape(user) +
           "</td></tr>\n<tr><td>Terminal</td><td>" + std::string(kTerminalName) +
           "</td></tr>\n<tr><td>Display polling</td><td>every 3 seconds</td></tr>\n"
           "</table>\n<p>This test console has nothing to change here.</p>\n"
           "<input type=\"button\" value=\"Close\" onclick=\"window.close()\">\n"
           "</body></html>\n";
    return out;
}

std::string HelpPage() {
    std::string out = Head("PABX Console - Help");
    out += R"HTML(<body>
<h1>Help</h1>
<p>The display shows the caller's number in its first row and the kind of call in
its second row. It is brought up to date every 3 seconds.</p>
<ul>
<li><b>Logout</b> ends the session and shows the login form.</li>
<li><b>Configuration</b> opens the account's settings in a new window.</li>
<li><b>Exit</b> logs out and asks to close the window.</li>
</ul>
<input type="button" value="Close" onclick="window.close()">
</body></html>
)HTML";
    return out;
}

std::string ClosePage() {
    std::string out = Head("Closing");
    out += R"HTML(<body>
<p>This window asks to be closed. <input type="button" value="Close" onclick="window.close()"></p>
<script>
window.close();
</script>
</body></html>
)HTML";
    return out;
}

std::string ExternalPage(std::string_view row1, std::string_view row2, bool autoChange) {
    std::string out = Head("CTI_IsBrowser=pending");
    out += "<body>\n<h1>External object</h1>\n<p id=\"isbrowser\"></p>\n"
           "<form name=\"ext\" onsubmit=\"return false\">\n"
           "<label>Row 1 <input type=\"text\" name=\"row1\" value=\"" +
           HtmlEscape(row1) +
           "\"></label>\n"
           "<label>Row 2 <input type=\"text\" name=\"row2\" value=\"" +
           HtmlEscape(row2) +
           "\"></label>\n"
           "<input type=\"button\" name=\"change\" value=\"CTI_ChangeRows\" "
           "onclick=\"qvChangeRows()\">\n"
           "</form>\n";
    // The title carries the results so a test can read them without a DOM.
    out += R"HTML(<script>
function qvIsBrowser() {
    try {
        var ext = window.external;
        if (!ext)
            return "no-external";
        var v = ext.CTI_IsBrowser;
        if (typeof v === "function")
            return "function:" + String(v.call(ext));
        return String(v);
    } catch (e) {
        return "error";
    }
}
var qvIsBrowserResult = qvIsBrowser();
var qvChangeResult = "";
function qvShowResults() {
    document.title = "CTI_IsBrowser=" + qvIsBrowserResult +
        (qvChangeResult ? " CTI_ChangeRows=" + qvChangeResult : "");
    document.getElementById("isbrowser").textContent = document.title;
}
function qvChangeRows() {
    var f = document.forms.ext;
    try {
        window.external.CTI_ChangeRows(f.row1.value, f.row2.value);
        qvChangeResult = "called";
    } catch (e) {
        qvChangeResult = "error";
    }
    qvShowResults();
}
qvShowResults();
)HTML";
    if (autoChange)
        out += "qvChangeRows();\n";
    out += "</script>\n</body></html>\n";
    return out;
}

std::string ErrorPage(int status, std::string_view text, bool retry) {
    std::string out = Head(std::to_string(status) + " " + std::string(text));
    out += "<body>\n<h1>" + std::to_string(status) + " " + HtmlEscape(text) + "</h1>\n";
    if (retry)
        out += "<p>Trying again in 3 seconds.</p>\n<script>\nsetTimeout(function () { "
               "location.reload(); }, 3000);\n</script>\n";
    out += "</body></html>\n";
    return out;
}

} // namespace qv::testconsole
