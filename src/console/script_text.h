// Reading the console's poll script: its focus requests, the two display
// rows it assigns, and an assignment of the top document's address. Plain
// text work, linear in the script's length, so a page of several megabytes
// costs no more than reading it once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kFocusRequest = "top.focus()";
inline constexpr std::string_view kRow1Target = "top.vp_disp.document.display.row1.value";
inline constexpr std::string_view kRow2Target = "top.vp_disp.document.display.row2.value";
inline constexpr std::string_view kTopHrefTarget = "top.location.href";
inline constexpr std::string_view kReloadPrefix = "if(1)top.location.reload();else ";

// A display row longer than this is cut (at a character boundary): the
// announcement shows 255 bytes at most, and a page that forgot a closing
// quote must not hand the rest of a large script along.
inline constexpr std::size_t kMaxRowBytes = 1024;

// Removes every focus request; returns how many there were.
std::size_t RemoveFocusRequests(std::string& text);

// The text assigned to target: from the first quote of either kind after
// it up to the next quote of either kind or the end; no escapes. Empty
// when no quote follows; nullopt when the target is not in the text.
std::optional<std::string> ExtractRow(std::string_view text, std::string_view target);

// "top.location.href" assigned a quoted literal: where the assignment
// starts and the literal (up to the next quote or the end).
struct HrefAssignment {
    std::size_t position;
    std::string_view target;
};
// Only the first occurrence counts, and only as a statement of its own
// (at the start or after a blank, ';', tab, CR or LF).
std::optional<HrefAssignment> FindHrefAssignment(std::string_view text);

// A target without "//" made absolute with the page's protocol ("http:")
// and host.
std::string AbsoluteUrl(std::string_view target, std::string_view protocol, std::string_view host);
