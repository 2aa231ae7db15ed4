#include "pipeline/Pipeline.h"

bool Pipeline::extractAudio() {
    return false;
}
