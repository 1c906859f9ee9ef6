#include "dialog_report.h"

namespace e2e {
namespace {

std::string OneLine(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n') {
            line += "\\n";
        } else {
            line += text[i];
        }
    }
    return line;
}

}  // namespace

std::string DescribeDialog(const DialogInfo& dialog) {
    std::string line = "DIALOG " + OneLine(dialog.caption);
    for (const std::string& text : dialog.texts) line += "\t" + OneLine(text);
    return line + "\n";
}

std::string DescribeDialogs(const std::vector<DialogInfo>& dialogs) {
    std::string lines;
    for (const DialogInfo& dialog : dialogs) lines += DescribeDialog(dialog);
    return lines;
}

}  // namespace e2e
