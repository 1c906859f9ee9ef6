#include "transfer/poll_cycle.h"

#include "res/resource.h"

namespace tarnwick {

PollCycle::PollCycle(Platform& platform, CycleHost& host, const Configuration& config,
                     const ServiceSettings& service)
    : m_platform(platform), m_host(host), m_config(config), m_service(service) {}

void PollCycle::Run() { m_host.EndCycle(); }

void PollCycleThread(PollCycle* cycle) { cycle->Run(); }

}  // namespace tarnwick
