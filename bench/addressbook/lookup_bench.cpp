// Caller lookup through the real address book library: a book of N
// contacts in one vCard file, the caller's number held only by the last, so
// every contact is opened and read, as for a caller nobody knows.
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

struct Book {
    explicit Book(int contacts) {
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
        const std::string file = root + "/contacts.vcf";
        std::ofstream out(file, std::ios::binary);
        char phone[32];
        for (int i = 0; i + 1 < contacts; ++i) {
            std::snprintf(phone, sizeof phone, "040 %07d", 2000000 + i);
            WriteCard(out, i, phone);
        }
        WriteCard(out, contacts - 1, "030 1999999");
        out.close();
        if (!book.Open(file.c_str())) {
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
    CAddressBook book;
};

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
