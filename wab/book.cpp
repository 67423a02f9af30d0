#include "book.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace qv::wab {
namespace fs = std::filesystem;
namespace {

bool ReadPrefix(const fs::path& path, std::size_t limit, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.resize(limit);
    in.read(out.data(), static_cast<std::streamsize>(limit));
    out.resize(static_cast<std::size_t>(in.gcount()));
    return !in.bad();
}

bool IsVcfName(const fs::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext == ".vcf";
}

void AddCards(std::string_view text, Book& book) {
    const std::size_t room = vcard::kMaxCards - std::min(vcard::kMaxCards, book.contacts.size());
    for (const auto& card : vcard::ParseVCards(text, room))
        book.contacts.push_back(MapCard(card));
}

void LoadFolder(const fs::path& folder, Book& book) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (std::size_t seen = 0; !ec && it != end && seen < kMaxFolderEntries;
         it.increment(ec), ++seen) {
        std::error_code typeError;
        if (IsVcfName(it->path()) && it->is_regular_file(typeError))
            files.push_back(it->path());
    }
    // Directory order is arbitrary; file names give the same book every time.
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    if (files.size() > kMaxFolderFiles)
        files.resize(kMaxFolderFiles);
    std::size_t budget = kMaxBookBytes;
    std::string text;
    for (const auto& file : files) {
        if (budget == 0 || book.contacts.size() >= vcard::kMaxCards)
            break;
        if (!ReadPrefix(file, std::min(budget, kMaxFileBytes), text))
            continue; // one unreadable file does not hide the others
        budget -= text.size();
        AddCards(text, book);
    }
}

} // namespace

LoadStatus LoadBook(const std::string& path, Book& book) {
    book = Book{};
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        LoadFolder(path, book);
        return LoadStatus::Ok;
    }
    if (!fs::exists(status))
        return LoadStatus::NotFound;
    if (!fs::is_regular_file(status))
        return LoadStatus::Unreadable; // a pipe or device would never end
    std::string text;
    if (!ReadPrefix(path, kMaxFileBytes, text))
        return LoadStatus::Unreadable;
    AddCards(text, book);
    return LoadStatus::Ok;
}

std::string DefaultBookPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && *h)
            home = h;
        else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
        base = home + "/.local/share";
    }
    return base + "/quorvia/contacts";
}

} // namespace qv::wab
