// Texts for the Windows Internet error codes that a failed download reports.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The fixed text of `code`; empty for every code without one.
std::string GetInternetErrorText(std::uint32_t code);

}  // namespace tarnwick
