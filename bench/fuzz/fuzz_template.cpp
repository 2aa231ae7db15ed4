// libFuzzer target: the program word's removal, the split and the one-pass macro expansion.
#include "FuzzChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzchecks::checkTemplate(data, size).isEmpty())
        std::abort();
    return 0;
}
