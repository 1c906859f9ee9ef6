// Starts the poll cycle's worker with the C runtime's thread start.
#pragma once

#include "platform/user_interface.h"

namespace tarnwick {

class CrtThreadStarter : public IThreadStarter {
 public:
  bool Start(std::function<void()> body) override;
};

}  // namespace tarnwick
