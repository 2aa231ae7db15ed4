// libFuzzer target: the line splitter, the Duration/time parser, the clock parser and the
// time-left estimate, over ffmpeg's output arriving in pieces.
#include "FuzzChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzchecks::checkProgress(data, size).isEmpty())
        std::abort();
    return 0;
}
