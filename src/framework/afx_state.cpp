#include "framework/afx_state.h"

#include "framework/menu.h"
#include "framework/occ_manager.h"
#include "framework/wnd.h"

namespace qv::framework {

AfxState::AfxState() = default;
AfxState::~AfxState() = default;

AfxState& State() {
    static AfxState state;
    return state;
}

} // namespace qv::framework
