// How the driver prints a dialog for the tests to read.
#pragma once

#include <string>
#include <vector>

#include "program_windows.h"

namespace e2e {

// One line: "DIALOG <caption>", then a tab before each static text; line breaks
// inside texts are written as \n so that each dialog stays on its line.
std::string DescribeDialog(const DialogInfo& dialog);
std::string DescribeDialogs(const std::vector<DialogInfo>& dialogs);

}  // namespace e2e
