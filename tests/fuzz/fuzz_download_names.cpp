// The check of download names. Windows resolves the last part of a path by its own
// rules: letter case does not matter, trailing dots and blanks are dropped, and a
// device name (CON, NUL, COM1 ... with any extension and blanks after the stem)
// opens the device. A name that passes the check must reach the disk as exactly
// the file it names, directly in the download directory, and the temporary file of
// a download must never be that same file.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "transfer/download_names.h"

using namespace tarnwick;

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
  return text;
}

// The file a final path part opens, as Windows sees it; empty for a device or for
// the directory itself.
std::string OpenedAs(const std::string& part) {
  std::string name = Lower(part);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
    if (stem == device) return std::string();
  // COM and LPT with 1 to 9, and with the superscript digits of code page 1252.
  if (stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0)) {
    const unsigned char digit = static_cast<unsigned char>(stem[3]);
    if ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) return std::string();
  }
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = input.ConsumeRandomLengthString(64);
  const std::string directory = input.ConsumeRemainingBytesAsString();

  if (IsPlainFileName(name)) {
    FUZZ_CHECK(name.find_first_of("\\/:") == std::string::npos);
    FUZZ_CHECK(OpenedAs(name) == Lower(name));
    for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    // The temporary file is another file than the download's target.
    const std::string temporary = TemporaryDownloadPath(directory, name);
    FUZZ_CHECK(temporary.rfind(directory + "\\", 0) == 0);
    FUZZ_CHECK(OpenedAs(temporary.substr(directory.size() + 1)) != OpenedAs(name));
  }

  const std::string printable = PrintableName(name);
  std::size_t controls = 0;
  for (char c : name) controls += static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  FUZZ_CHECK(printable.size() == name.size() + 3 * controls);
  for (char c : printable) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  if (controls == 0) FUZZ_CHECK(printable == name);
  return 0;
}
