#include "pipeline/Pipeline.h"

bool Pipeline::convertVoices() {
    return false;
}
