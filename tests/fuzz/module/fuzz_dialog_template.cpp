// Dialog templates (both forms) and control-initialisation records.
#include "../fuzz.h"
#include "platform/module/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto dialog = qv::platform::ParseDialogTemplate(data, size)) {
        std::size_t total = 0;
        for (const auto& control : dialog->controls) {
            control.Class();
            total += control.creationData.size();
        }
        qv::fuzz::Require(total <= size);
    }
    qv::platform::ParseDlgInit(data, size);
    return 0;
}
