// libFuzzer target: arbitrary sequences of typing, "calculate", "memory" and
// "restore" played on the calculator window without Qt (see window_model.h
// for the input format). A violated check aborts with its description.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "window_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure =
        fuzzing::play(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "check failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
