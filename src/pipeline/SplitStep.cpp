#include "pipeline/Pipeline.h"

bool Pipeline::splitAudio() {
    return false;
}
