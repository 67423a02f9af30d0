// The address book through the real library: caller lookup in a book of N
// contacts in one vCard file, the caller's number held only by the last, so
// every contact is opened and read, as for a caller nobody knows; and the
// time to open a book, one file of N cards beside a folder of N one-card
// files (as tools export a vdir).
#include "addressbook/address_book.h"
#include "platform/module/module.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>

namespace {

// A contact with what an exported directory typically holds.
void WriteCard(std::ofstream& out, int i, const char* phone) {
    out << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
        << "FN:Person " << i << " Example\r\n"
        << "N:Example;Person " << i << ";;;\r\n"
        << "ORG:Example Trading\r\n"
        << "TEL;TYPE=work:" << phone << "\r\n"
        << "TEL;TYPE=cell:+49 171 " << 5000000 + i << "\r\n"
        << "EMAIL:person" << i << "@example.com\r\n"
        << "ADR;TYPE=work:;;Hauptstr. " << i % 200 << ";Berlin;;" << 10000 + i % 90000
        << ";Germany\r\n"
        << "NOTE:Customer since 2019\r\n"
        << "END:VCARD\r\n";
}

enum class Layout { OneFile, Folder };

struct Book {
    explicit Book(int contacts, Layout layout = Layout::OneFile) {
        char pattern[] = "/tmp/qv-lookup-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        root = pattern;
        // The library is found as the program finds it: HKLM beside the prefix.
        qv::platform::SetModuleFileNameForTesting(root + "/bin/quorvia");
        std::filesystem::create_directories(root + "/etc/quorvia");
        if (!WriteRegistryText(HKEY_LOCAL_MACHINE, QV_WAB_LIBRARY,
                               "Software\\Microsoft\\WAB\\DLLPath", "", REG_SZ))
            std::abort();
        path = root + (layout == Layout::OneFile ? "/contacts.vcf" : "/contacts");
        std::filesystem::create_directories(root + "/contacts");
        std::ofstream out;
        char phone[32];
        for (int i = 0; i < contacts; ++i) {
            if (layout == Layout::Folder || i == 0) {
                std::snprintf(phone, sizeof phone, "/contacts/%06d.vcf", i);
                out =
                    std::ofstream(layout == Layout::Folder ? root + phone : path, std::ios::binary);
            }
            std::snprintf(phone, sizeof phone, "040 %07d", 2000000 + i);
            WriteCard(out, i, i + 1 < contacts ? phone : "030 1999999");
        }
        out.close();
        if (!book.Open(path.c_str())) {
            std::fprintf(stderr, "%s\n", book.TakeLastError().c_str());
            std::abort();
        }
    }
    ~Book() {
        book.ReleaseObjects();
        qv::platform::SetModuleFileNameForTesting("");
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::string root;
    std::string path;
    CAddressBook book;
};

// Each Open starts a fresh session and reads the whole book again.
void BM_OpenBook(benchmark::State& state) {
    const int contacts = static_cast<int>(state.range(1));
    Book book(contacts, state.range(0) == 0 ? Layout::OneFile : Layout::Folder);
    for (auto _ : state) {
        if (!book.book.Open(book.path.c_str())) {
            state.SkipWithError("the book did not open");
            break;
        }
    }
    state.SetLabel(state.range(0) == 0 ? "one file" : "one file per card");
    state.counters["contacts"] = contacts;
}

BENCHMARK(BM_OpenBook)
    ->ArgsProduct({{0, 1}, {1000, 10000}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_LookupUnknownUntilTheLastContact(benchmark::State& state) {
    Book book(static_cast<int>(state.range(0)));
    const std::string expected = "Person " + std::to_string(state.range(0) - 1) + " Example";
    std::string name;
    for (auto _ : state) {
        if (!book.book.LookupName(name, "0301999999", "0") || name != expected) {
            state.SkipWithError("lookup failed or found the wrong contact");
            break;
        }
    }
    state.counters["contacts"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_LookupUnknownUntilTheLastContact)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
