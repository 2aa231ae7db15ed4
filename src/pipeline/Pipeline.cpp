#include "pipeline/Pipeline.h"

Pipeline::Pipeline(StepHost& host, ToolRunner& runner, const WorkFolder& work)
    : m_host(host)
    , m_runner(runner)
    , m_work(work) {}
