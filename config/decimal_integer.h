// The one number the dialogs read from an edit field: a 32-bit decimal integer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

// Blanks and tabs around the number are allowed, so is one sign; anything else, an
// empty text and values outside 32 bits are not integers.
std::optional<std::int32_t> ParseDecimalInteger(const std::string& text);

}  // namespace tarnwick
