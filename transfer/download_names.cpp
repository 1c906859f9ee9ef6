#include "transfer/download_names.h"

#include <cstdio>
#include <initializer_list>

namespace tarnwick {

namespace {

bool IsControl(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// CON, NUL, COM1 ... name devices in every directory, whatever extension and blanks
// follow the stem; code page 1252's superscript digits count as digits there.
bool NamesADevice(const std::string& name) {
  std::string stem = Lower(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
    if (stem == device) return true;
  if (stem.size() != 4 || (stem.rfind("com", 0) != 0 && stem.rfind("lpt", 0) != 0)) return false;
  const unsigned char digit = static_cast<unsigned char>(stem[3]);
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Windows drops trailing dots and blanks from a name, so such a name would be
// written as another file ("a.wav." as "a.wav", "..." as the directory itself).
bool KeptAsWritten(const std::string& name) { return name.back() != '.' && name.back() != ' '; }

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || !KeptAsWritten(name) || NamesADevice(name)) return false;
  for (char c : name)
    if (c == '\\' || c == '/' || c == ':' || IsControl(c)) return false;
  return true;
}

std::string PrintableName(const std::string& name) {
  std::string printable;
  for (char c : name) {
    if (IsControl(c)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      printable += escaped;
    } else {
      printable += c;
    }
  }
  return printable;
}

std::string TemporaryDownloadPath(const std::string& directory, const std::string& name) {
  const std::string usual = "Tarnwick.download";
  return directory + "\\" + (Lower(name) == Lower(usual) ? usual + "~" : usual);
}

}  // namespace tarnwick
