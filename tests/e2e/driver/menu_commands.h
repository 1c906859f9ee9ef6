// Driver commands that pick an item of the program's menus the way a user does with
// the keyboard, so that the item must really be in the menu that the program shows.
// The items are looked up in the program's executable, where the program loads its
// menus from: Wine lets no other process read the menus of a window.
#pragma once

#include "program_windows.h"

namespace e2e {

// Finds ITEM in the pop-up POPUP of the frame's menu (menu 2 of the executable) and
// prints its command id, then presses Alt with POPUP's mnemonic on the frame, which
// opens that pop-up of the frame's menu bar, and ITEM's mnemonic in it.
int PickFromMainMenu(const ProgramWindows& program, double waitSeconds, const char* popup, const char* item);

// Finds ITEM in the first pop-up of the tray menu (menu 3 of the executable) and
// prints its command id, then has the frame open the real pop-up through the tray
// icon's callback (right button released) and presses ITEM's mnemonic in it.
int PickFromTrayMenu(const ProgramWindows& program, double waitSeconds, const char* item);

// Puts the mouse pointer on the tray icon, has the frame open the tray menu as
// PickFromTrayMenu does and leaves it open, for a picture of it; found once the
// pop-up shows.
int ShowTrayMenu(const ProgramWindows& program, double waitSeconds);

}  // namespace e2e
