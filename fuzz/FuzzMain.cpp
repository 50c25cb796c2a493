// The libFuzzer entry point of one target; JF_FUZZ_TARGET names its function.
//
// Besides libFuzzer's own limits (time, single allocation, resident size) it
// checks the memory one input makes the program take: the peak of the live
// heap during the input, above what was live before it, may not exceed
// kMemoryFactor times the input's size plus the target's fixed cost (its
// peak for a one-byte input, measured at start-up) and kMemorySlack. A
// hostile file must not make the program allocate more than a small
// multiple of its own size.
#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"

namespace {

constexpr std::int64_t kMemoryFactor = 64;
constexpr std::int64_t kMemorySlack = std::int64_t{8} << 20;

std::atomic<std::int64_t> gPeak{0};
std::int64_t gFixedCost = 0;

// Called after every allocation: the allocator's own count of live bytes
// then includes it.
void onMalloc(const volatile void*, std::size_t) {
    const auto now = static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
    std::int64_t peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
}

void onFree(const volatile void*) {}

// Runs the target once and returns the growth of the live heap's peak.
std::int64_t measuredRun(const std::uint8_t* data, std::size_t size) {
    const auto before = static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
    gPeak.store(before);
    jf::fuzz::JF_FUZZ_TARGET(data, size);
    return gPeak.load() - before;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    // The first run builds the target's fixed data; the second measures a
    // run on a minimal input.
    const std::uint8_t minimal[1] = {1};
    measuredRun(minimal, sizeof minimal);
    gFixedCost = measuredRun(minimal, sizeof minimal);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int64_t growth = measuredRun(data, size);
    const std::int64_t limit =
        gFixedCost + kMemorySlack + kMemoryFactor * static_cast<std::int64_t>(size);
    if (growth > limit) {
        jf::fuzz::violation("memory", std::to_string(growth) + " bytes taken for an input of " +
                                          std::to_string(size) + " bytes (limit " +
                                          std::to_string(limit) + ")");
    }
    return 0;
}
