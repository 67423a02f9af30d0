#include "backend/qt/browser/qt_browser_factory.h"

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/browser/qt_web_browser.h"
#include "backend/qt/qt_window_system.h"
#include "platform/html/html_ids.h"
#include "platform/text.h"

#include <memory>

namespace qv::qt {

std::vector<std::string> DefaultExternalNames() {
    return {"CTI_IsBrowser", "CTI_ChangeRows"};
}

void InstallQtBrowserFactory(QtWindowSystem& windows, ResourceFinder findResource,
                             std::vector<std::string> externalNames) {
    // Made with the first control: the engine needs the application object.
    auto profile = std::make_shared<std::shared_ptr<bridge::BridgeProfile>>();
    windows.SetActiveXFactory(
        [profile, findResource = std::move(findResource), names = std::move(externalNames)](
            QWidget* container, const std::string& classId,
            const platform::DlgInitRecord*) -> com::ComPtr<IUnknown> {
            // The control's persisted properties (its init record) hold
            // nothing the engine can use.
            if (!text::EqualsIgnoreAsciiCase(classId, kWebBrowserClassName))
                return nullptr;
            if (!*profile) {
                *profile = std::make_shared<bridge::BridgeProfile>();
                InstallResSchemeHandler((*profile)->Profile(), findResource);
            }
            auto browser = QtWebBrowser::Create(container, *profile, names);
            return com::ComPtr<IUnknown>(static_cast<IWebBrowser2*>(browser.get()));
        });
}

} // namespace qv::qt
