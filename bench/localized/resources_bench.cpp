// Lookups per second of the localised string loader and the version reader,
// on the program's embedded resources with a German user.
#include "localized/localized_resources.h"
#include "localized/version_info.h"
#include "rc/embedded.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void Setup() {
    static const bool ready = [] {
        setenv("LC_ALL", "de_CH.UTF-8", 1);
        return qv::res::InstallEmbeddedResources("/opt/quorvia/quorvia") != nullptr;
    }();
    if (!ready)
        std::abort();
}

constexpr UINT kIds[] = {101, 102, 108, 114, 115, 1002, 1024, 1026, 1027, 1028, 1032, 1034};

template <class Lookup> void BM_StringLookup(benchmark::State& state, Lookup lookup) {
    Setup();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookup(kIds[i++ % std::size(kIds)]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_StringLookup, LoadLocalizedString, &LoadLocalizedString);
BENCHMARK_CAPTURE(BM_StringLookup, HasString, &HasString);

// key: a string of the block (the first, the last), or null for the file version.
void BM_GetVersionInfoString(benchmark::State& state, const char* key) {
    Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetVersionInfoString(key));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_GetVersionInfoString, ProductName, "ProductName");
BENCHMARK_CAPTURE(BM_GetVersionInfoString, LastKey, "SpecialBuild");
BENCHMARK_CAPTURE(BM_GetVersionInfoString, FileVersion, nullptr);

} // namespace
