#include "pipeline/Pipeline.h"

bool Pipeline::fullAuto() {
    return false;
}
