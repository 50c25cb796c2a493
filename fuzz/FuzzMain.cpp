// The libFuzzer entry point of one target; JF_FUZZ_TARGET names its function.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return jf::fuzz::JF_FUZZ_TARGET(data, size);
}
