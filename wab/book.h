// Where the cards come from: one .vcf file, a folder of them, or the user's
// default folder. Read once; the book is a snapshot for the session.
#pragma once

#include "contact.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qv::wab {

// Bounds on what one book reads. A file is read up to kMaxFileBytes (what
// lies beyond is ignored, and a card it cuts is kept as far as it goes); a
// folder gives at most kMaxFolderFiles files and kMaxBookBytes in all. A
// company directory of 100,000 contacts, one file each, still fits.
inline constexpr std::size_t kMaxFileBytes = 128u << 20;
inline constexpr std::size_t kMaxFolderFiles = 200000;
inline constexpr std::size_t kMaxFolderEntries = 400000; // names looked at
inline constexpr std::size_t kMaxBookBytes = 256u << 20;

struct Book {
    std::vector<Contact> contacts;
};

enum class LoadStatus {
    Ok,
    NotFound,   // neither a file nor a folder
    Unreadable, // a file that could not be opened
};

LoadStatus LoadBook(const std::string& path, Book& book);

// ${XDG_DATA_HOME:-~/.local/share}/quorvia/contacts
std::string DefaultBookPath();

} // namespace qv::wab
