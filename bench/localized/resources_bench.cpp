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

void BM_LoadLocalizedString(benchmark::State& state) {
    Setup();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadLocalizedString(kIds[i++ % std::size(kIds)]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoadLocalizedString);

void BM_HasString(benchmark::State& state) {
    Setup();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(HasString(kIds[i++ % std::size(kIds)]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HasString);

void BM_GetVersionInfoString(benchmark::State& state) {
    Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetVersionInfoString("ProductName"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetVersionInfoString);

void BM_GetVersionInfoStringLastKey(benchmark::State& state) {
    Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetVersionInfoString("SpecialBuild"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetVersionInfoStringLastKey);

void BM_GetFileVersion(benchmark::State& state) {
    Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetVersionInfoString(nullptr));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetFileVersion);

} // namespace
