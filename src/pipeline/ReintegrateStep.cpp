#include "pipeline/Pipeline.h"

bool Pipeline::reintegrate() {
    return false;
}
