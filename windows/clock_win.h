// Local time as the system clock gives it.
#pragma once

#include "platform/clock.h"

namespace tarnwick {

class LocalClock : public IClock {
 public:
  LocalTime Now() override;
};

}  // namespace tarnwick
