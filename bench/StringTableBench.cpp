// Setting and then reading every text of an N-row, twenty-language table.
// Rows are reached in constant time, so the work grows linearly with N.
#include <benchmark/benchmark.h>

#include <string>

#include "iff/StringTable.h"

namespace {

void BM_StringTableSetThenGetEveryText(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const std::string value = "Some job name";
    std::string out;
    for (auto _ : state) {
        jf::StringTable table;
        for (std::size_t row = 0; row < rows; ++row) {
            for (int slot = 0; slot < jf::kLanguageSlotCount; ++slot) {
                table.setString(row, slot, jf::StringTable::kText, value);
            }
        }
        std::size_t total = 0;
        for (std::size_t row = 0; row < rows; ++row) {
            for (int slot = 0; slot < jf::kLanguageSlotCount; ++slot) {
                table.getString(row, slot, jf::StringTable::kText, out);
                total += out.size();
            }
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_StringTableSetThenGetEveryText)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Complexity(benchmark::oN);

}  // namespace
