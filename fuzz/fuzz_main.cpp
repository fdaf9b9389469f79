// One libFuzzer program per entry of fuzz_entries.h; MK_FUZZ_ENTRY names the entry.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string broken =
        mk::fuzz::MK_FUZZ_ENTRY(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!broken.empty()) {
        // A broken promise is a finding like a crash: libFuzzer keeps the input.
        std::fprintf(stderr, "broken promise: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
