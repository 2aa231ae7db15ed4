// libFuzzer target: picking the interpreter from the launcher's list.
#include "FuzzChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzchecks::checkInterpreters(data, size).isEmpty())
        std::abort();
    return 0;
}
