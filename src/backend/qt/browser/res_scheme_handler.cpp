#include "backend/qt/browser/res_scheme_handler.h"

#include "platform/module/module.h"
#include "platform/module/resources.h"
#include "platform/text.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <string>
#include <string_view>

namespace qv::qt {

namespace {

constexpr char kScheme[] = "res";

QByteArray MimeType(std::string_view name) {
    const auto dot = name.rfind('.');
    const std::string ext = dot == std::string_view::npos ? "" : text::AsciiLower(name.substr(dot));
    if (ext == ".htm" || ext == ".html")
        return "text/html;charset=utf-8";
    if (ext == ".css")
        return "text/css";
    if (ext == ".gif")
        return "image/gif";
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".png")
        return "image/png";
    return "application/octet-stream";
}

class ResSchemeHandler final : public QWebEngineUrlSchemeHandler {
public:
    ResSchemeHandler(ResourceFinder find, QObject* parent)
        : QWebEngineUrlSchemeHandler(parent), find_(std::move(find)) {}

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        if (job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const QUrl url = job->requestUrl();
        // Only res:///path: an authority would be a Windows-style module name.
        if (!url.isValid() || !url.host().isEmpty() || !url.userInfo().isEmpty() ||
            url.port() != -1) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const std::string path = url.path(QUrl::FullyDecoded).toStdString();
        const auto slash = path.rfind('/');
        if (slash == std::string::npos) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const std::string module = path.substr(0, slash);
        const std::string name = path.substr(slash + 1);
        // "#n" would reach numbered resources. The module must be ours to the
        // letter, so a dot segment there already fails below.
        if (name.empty() || name == "." || name == ".." || name.front() == '#') {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const std::string own = platform::ModuleFileName();
        if (own.empty() || module != own) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        DWORD size = 0;
        const std::string upper = text::AsciiUpper(name);
        HGLOBAL data = find_(upper.c_str(), MAKEINTRESOURCEA(RT_HTML_ID), &size);
        const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
        if (!bytes) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        // The engine reads the buffer after this returns; it goes with the job.
        auto* buffer = new QBuffer(job);
        buffer->setData(bytes, qsizetype(size));
        buffer->open(QIODevice::ReadOnly);
        job->reply(MimeType(name), buffer);
    }

private:
    ResourceFinder find_;
};

} // namespace

void RegisterResScheme() {
    if (QWebEngineUrlScheme::schemeByName(kScheme).name() == kScheme)
        return;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Local like file: pages may use each other and their pictures, but the
    // web may not reach in.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void InstallResSchemeHandler(QWebEngineProfile* profile, ResourceFinder find) {
    if (!profile || !find || profile->urlSchemeHandler(kScheme))
        return;
    profile->installUrlSchemeHandler(kScheme, new ResSchemeHandler(std::move(find), profile));
}

} // namespace qv::qt
