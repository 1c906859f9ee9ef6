// One poll cycle, run on the worker thread with its own copy of the settings.
#pragma once

#include "config/configuration.h"
#include "platform/platform.h"
#include "transfer/cycle_host.h"

namespace tarnwick {

class PollCycle {
 public:
  PollCycle(Platform& platform, CycleHost& host, const Configuration& config, const ServiceSettings& service);

  // The whole cycle; every way out ends with the busy flag cleared and the idle icon.
  void Run();

 private:
  Platform& m_platform;
  CycleHost& m_host;
  const Configuration m_config;
  const ServiceSettings m_service;
};

// Thread entry: runs the cycle that `cycle` points to.
void PollCycleThread(PollCycle* cycle);

}  // namespace tarnwick
