// Dialog templates (DLGTEMPLATE and DLGTEMPLATEEX) and control-initialisation
// data (type 240) as plain structs, for a backend to build dialogs from.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qv::platform {

// A menu, class or title field: nothing, an ordinal, or a text.
struct NameOrOrdinal {
    std::optional<WORD> ordinal; // set for an ordinal
    std::string text;            // UTF-8 text when not an ordinal; empty for nothing

    bool IsOrdinal() const { return ordinal.has_value(); }
    bool IsEmpty() const { return !ordinal && text.empty(); }
    bool operator==(const NameOrOrdinal&) const = default;
};

// The predefined window classes, by their ordinals.
enum class ControlClass : WORD {
    Button = 0x80,
    Edit = 0x81,
    Static = 0x82,
    ListBox = 0x83,
    ScrollBar = 0x84,
    ComboBox = 0x85,
    Other = 0xFFFF, // any other class: see DialogControl::windowClass
};

struct DialogFont {
    WORD pointSize = 0;
    WORD weight = 0;     // DLGTEMPLATEEX only (400 normal, 700 bold); 0 otherwise
    bool italic = false; // DLGTEMPLATEEX only
    BYTE charset = 0;    // DLGTEMPLATEEX only
    std::string face;    // UTF-8, e.g. "MS Shell Dlg"
};

struct DialogControl {
    DWORD helpId = 0; // DLGTEMPLATEEX only
    DWORD exStyle = 0;
    DWORD style = 0;                    // WS_*, and the class's own ES_*, BS_*, SS_*, UDS_* bits
    SHORT x = 0, y = 0, cx = 0, cy = 0; // dialog units
    // 16 bits in DLGTEMPLATE (IDC_STATIC is then 0xFFFF), 32 in the EX form.
    DWORD id = 0;
    // An ordinal (see ControlClass) or a name such as "msctls_updown32" or
    // an ActiveX class id "{8856F961-340A-11D0-A96B-00C04FD705A2}".
    NameOrOrdinal windowClass;
    // The text, or an ordinal (a static control's icon resource id).
    NameOrOrdinal title;
    std::vector<BYTE> creationData;

    // The predefined class, also when the template names it by string ("Button").
    ControlClass Class() const;
    // The class a window of this control registers under: a predefined one
    // by its usual name ("Button"), any other as the template names it.
    std::string ClassName() const;
};

struct DialogTemplate {
    bool extended = false; // DLGTEMPLATEEX
    DWORD helpId = 0;      // DLGTEMPLATEEX only
    DWORD style = 0;       // WS_*, DS_*
    DWORD exStyle = 0;
    SHORT x = 0, y = 0, cx = 0, cy = 0; // dialog units
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::string caption;            // UTF-8
    std::optional<DialogFont> font; // present when the style has DS_SETFONT
    std::vector<DialogControl> controls;
};

// Null when the data is cut short or not a dialog template.
std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, std::size_t size);

// One control-initialisation record, as the framework applies it when the
// dialog starts: e.g. CB_ADDSTRING (0x0143) with a zero-terminated string.
struct DlgInitRecord {
    WORD controlId = 0;
    WORD message = 0;
    std::vector<BYTE> data;
};

// Records up to the closing control id 0 (or the end of the data). Null when
// a record is cut short.
std::optional<std::vector<DlgInitRecord>> ParseDlgInit(const BYTE* data, std::size_t size);

} // namespace qv::platform
