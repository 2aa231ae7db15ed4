#include "pipeline/Pipeline.h"

bool Pipeline::inputCheck() {
    return false;
}

QString Pipeline::ExpandCommandTemplate(StepHost::Template, MacroOrder) const {
    return {};
}

bool Pipeline::RunFfmpeg(const QString&) {
    return false;
}
