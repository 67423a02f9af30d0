#include "platform/module/dialog_template.h"

#include "platform/module/byte_reader.h"
#include "platform/text.h"

#include <iterator>

namespace qv::platform {
namespace {

constexpr DWORD kDsSetFont = 0x40;
constexpr WORD kExSignature = 0xFFFF;
// Each control takes at least this many bytes, which bounds the reservation.
constexpr std::size_t kMinControlBytes = 24;

NameOrOrdinal ReadNameOrOrdinal(ByteReader& in) {
    NameOrOrdinal out;
    const std::size_t start = in.offset();
    const WORD first = in.u16();
    if (first == 0xFFFF) {
        out.ordinal = in.u16();
    } else if (first != 0) {
        in.seek(start);
        out.text = in.wideString();
    }
    return out;
}

bool ReadFont(ByteReader& in, bool extended, DialogFont& font) {
    font.pointSize = in.u16();
    if (extended) {
        font.weight = in.u16();
        font.italic = in.u8() != 0;
        font.charset = in.u8();
    }
    font.face = in.wideString();
    return in.ok();
}

bool ReadControl(ByteReader& in, bool extended, DialogControl& control) {
    in.alignDword();
    if (extended) {
        control.helpId = in.u32();
        control.exStyle = in.u32();
        control.style = in.u32();
    } else {
        control.style = in.u32();
        control.exStyle = in.u32();
    }
    control.x = in.i16();
    control.y = in.i16();
    control.cx = in.i16();
    control.cy = in.i16();
    control.id = extended ? in.u32() : in.u16();
    control.windowClass = ReadNameOrOrdinal(in);
    control.title = ReadNameOrOrdinal(in);
    const WORD extra = in.u16();
    const auto bytes = in.bytes(extra);
    control.creationData.assign(bytes.begin(), bytes.end());
    return in.ok();
}

} // namespace

namespace {

// The predefined classes in the order of their ordinals, named as registered.
constexpr const char* kPredefinedNames[] = {"Button",  "Edit",      "Static",
                                            "ListBox", "ScrollBar", "ComboBox"};
constexpr WORD kFirstPredefined = WORD(ControlClass::Button);

} // namespace

ControlClass DialogControl::Class() const {
    if (windowClass.ordinal) {
        const WORD atom = *windowClass.ordinal;
        return atom >= 0x80 && atom <= 0x85 ? static_cast<ControlClass>(atom) : ControlClass::Other;
    }
    for (WORD i = 0; i < std::size(kPredefinedNames); ++i)
        if (qv::text::EqualsIgnoreAsciiCase(windowClass.text, kPredefinedNames[i]))
            return static_cast<ControlClass>(kFirstPredefined + i);
    return ControlClass::Other;
}

std::string DialogControl::ClassName() const {
    const ControlClass predefined = Class();
    if (predefined == ControlClass::Other)
        return windowClass.text;
    return kPredefinedNames[WORD(predefined) - kFirstPredefined];
}

std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, std::size_t size) {
    if (!data)
        return std::nullopt;
    ByteReader in({data, size});
    DialogTemplate dialog;
    const WORD version = in.u16();
    const WORD signature = in.u16();
    dialog.extended = version == 1 && signature == kExSignature;
    if (dialog.extended) {
        dialog.helpId = in.u32();
        dialog.exStyle = in.u32();
        dialog.style = in.u32();
    } else {
        // DLGTEMPLATE starts with the style; those two words were it.
        dialog.style = version | (DWORD(signature) << 16);
        dialog.exStyle = in.u32();
    }
    const WORD count = in.u16();
    dialog.x = in.i16();
    dialog.y = in.i16();
    dialog.cx = in.i16();
    dialog.cy = in.i16();
    dialog.menu = ReadNameOrOrdinal(in);
    dialog.windowClass = ReadNameOrOrdinal(in);
    dialog.caption = in.wideString();
    if (dialog.style & kDsSetFont) {
        DialogFont font;
        if (!ReadFont(in, dialog.extended, font))
            return std::nullopt;
        dialog.font = std::move(font);
    }
    if (!in.ok() || size / kMinControlBytes < count)
        return std::nullopt;
    dialog.controls.reserve(count);
    for (WORD i = 0; i < count; ++i) {
        DialogControl control;
        if (!ReadControl(in, dialog.extended, control))
            return std::nullopt;
        dialog.controls.push_back(std::move(control));
    }
    return dialog;
}

std::optional<std::vector<DlgInitRecord>> ParseDlgInit(const BYTE* data, std::size_t size) {
    std::vector<DlgInitRecord> records;
    if (!data)
        return records;
    ByteReader in({data, size});
    while (in.remaining() >= 2) {
        DlgInitRecord record;
        record.controlId = in.u16();
        if (record.controlId == 0)
            break;
        record.message = in.u16();
        const DWORD length = in.u32();
        const auto bytes = in.bytes(length);
        if (!in.ok())
            return std::nullopt;
        record.data.assign(bytes.begin(), bytes.end());
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace qv::platform
