#pragma once

// What the page reaches as window.external, in the shape of an automation
// object: names are looked up to ids, ids are invoked.

#include "backend/qt/bridge/bridge_types.h"

#include <optional>
#include <string>
#include <vector>

namespace qv::bridge {

inline constexpr int kUnknownDispId = -1;

enum InvokeFlags : unsigned {
    kInvokeMethod = 0x1,
    kInvokePropertyGet = 0x2,
};

class IExternalDispatch {
public:
    virtual ~IExternalDispatch() = default;
    // The id of a member, or kUnknownDispId. Case-sensitive.
    virtual int GetIDsOfNames(const std::string& name) = 0;
    // Arguments in the order the page wrote them (not reversed). A member that
    // yields nothing returns std::nullopt (undefined to the page).
    virtual std::optional<bool> Invoke(int dispId, unsigned flags,
                                       const std::vector<ExternalArg>& args) = 0;
};

} // namespace qv::bridge
