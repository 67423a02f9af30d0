// The framework in one include, for the system's code.
#pragma once

#include "framework/control_container.h"
#include "framework/control_site.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/menu.h"
#include "framework/occ_manager.h"
#include "framework/spin_button_ctrl.h"
#include "framework/tool_tip_ctrl.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
