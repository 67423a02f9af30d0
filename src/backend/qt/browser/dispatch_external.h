// The host's window.external object (an IDispatch from GetExternal) in the
// shape the page bridge calls: names to ids, then Invoke with the page's
// arguments as VARIANTs, last one first, and a boolean answer back.
#pragma once

#include "backend/qt/bridge/external_dispatch.h"
#include "platform/com/dispatch.h"

namespace qv::qt {

class DispatchExternal final : public bridge::IExternalDispatch {
public:
    explicit DispatchExternal(com::ComPtr<IDispatch> object) : object_(std::move(object)) {}

    int GetIDsOfNames(const std::string& name) override;
    std::optional<bool> Invoke(int dispId, unsigned flags,
                               const std::vector<bridge::ExternalArg>& args) override;

    // The page's argument as the old script engine passed it.
    static VARIANT ToVariant(const bridge::ExternalArg& arg);

private:
    com::ComPtr<IDispatch> object_;
};

} // namespace qv::qt
