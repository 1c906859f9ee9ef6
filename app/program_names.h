// The names the program goes by: its window and message-box title, and the key of its
// registry profile. Kept apart from start-up so that adapters needing only a name do
// not reach into the application's start.
#pragma once

namespace tarnwick {

inline constexpr char kApplicationTitle[] = "Dravos Upload Ulkin";
inline constexpr char kRegistryKey[] = "Tarnwick";

}  // namespace tarnwick
