// What the "Select Directory" picker decides without asking Windows: how names are
// shown, how its current directory moves, which files a file-type label asks for and
// in which order the entries are listed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// Item values of the two entries that stand for navigation rather than a name.
constexpr std::int32_t kParentEntryValue = -1;
constexpr std::int32_t kRootEntryValue = -2;
extern const char kParentEntryLabel[];  // "[.. Parent Directory]"
extern const char kRootEntryLabel[];    // "[. Root]"
extern const char kAllFilesLabel[];     // "All files (*.*)"

// Small letters throughout, then a capital at the start and after every blank:
// "MY DOCUMENTS" is shown as "My Documents". Paths are built from these forms.
std::string CapitaliseName(const std::string& name);

// The directory above `directory` (which ends with a backslash), keeping the trailing
// backslash: "C:\A\B\" gives "C:\A\", "C:\A\" gives "C:\". A text with no backslash
// to cut at comes back unchanged.
std::string ParentDirectory(const std::string& directory);

// The search pattern inside a file-type label: the text after its last "(" up to its
// last ")"; "All files (*.*)" gives "*.*". Empty when the label has no such pair.
std::string PatternOfFileTypeLabel(const std::string& label);

// A drive root such as "C:\" is exactly three characters; anything longer has a parent.
bool IsDriveRoot(const std::string& directory);

// The first entry of every listing: "[. Root]" at a drive root, else "[.. Parent Directory]".
struct NavigationEntry {
  const char* label;
  std::int32_t value;
};
NavigationEntry FirstEntryFor(const std::string& directory);

// An item counts as a directory when the directory attribute bit (16) of its value is
// set, which the two navigation entries' negative values also have.
bool IsDirectoryItem(std::int32_t itemValue);

// Where the picker goes when a directory item is activated: the parent entry cuts the
// last name, the root entry stays, any other directory is entered. No value for a file.
std::optional<std::string> DirectoryAfterActivation(const std::string& directory, std::int32_t itemValue,
                                                    const std::string& itemText);

// One listed name of a directory with the shell icon it is shown with.
struct PickerEntry {
  int icon = 0;
  std::uint32_t attributes = 0;
  std::string name;  // capitalised
};

// Orders a group of entries by plain byte comparison of their names; entries with the
// same name keep the order in which the search found them.
void SortEntries(std::vector<PickerEntry>& entries);

// A drive as the drive list labels it: "(C:)".
std::string DriveLabel(char letter);

}  // namespace tarnwick
