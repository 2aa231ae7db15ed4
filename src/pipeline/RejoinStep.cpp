#include "pipeline/Pipeline.h"

bool Pipeline::rejoinAudio() {
    return false;
}
