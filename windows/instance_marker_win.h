// The named kernel mutex that tells a second start that the program already runs.
#pragma once

#include "platform/user_interface.h"

namespace tarnwick {

class MutexInstanceMarker : public IInstanceMarker {
 public:
  bool AnotherInstanceRuns(const std::string& name) override;
};

}  // namespace tarnwick
