#include "book.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::wab {
namespace fs = std::filesystem;
namespace {

// At most limit bytes of a regular file. The buffer follows the file's size:
// a folder of ten thousand one-card files must not fill a limit-sized buffer
// for each of them.
bool ReadPrefix(const fs::path& path, std::size_t limit, std::string& out) {
    out.clear();
    // O_NONBLOCK: a FIFO put in the file's place must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    constexpr std::size_t kGrowth = 64u << 10; // a file still being written may grow
    out.resize(std::min(limit, static_cast<std::size_t>(st.st_size) + 1));
    std::size_t used = 0;
    bool ok = true;
    while (used < limit) {
        if (used == out.size())
            out.resize(std::min(limit, out.size() + kGrowth));
        const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(used);
    return ok;
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
