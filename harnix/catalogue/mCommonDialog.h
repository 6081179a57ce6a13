#pragma once
// The open-file dialog as the program calls it: texts with their NUL-separated lists and flags.

#include <cstdint>
#include <string>

class QWidget;

namespace mCommonDialog {

inline constexpr int32_t OFN_READONLY = 0x1;
inline constexpr int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr int32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr int32_t OFN_FILEMUSTEXIST = 0x1000;

// Longest file name and file title the dialog takes.
inline constexpr size_t MaxPath = 260;

// Shows the open-file dialog on the filter ("Description|pattern|..."; the pattern's case does
// not matter) in the initial folder. A choice gives the full path in fileName, its last part in
// fileTitle, the chosen pair of the filter (description, NUL, pattern) and its index, the flags
// asked for, and true. A cancel empties the texts, sets the flags to 0 and the index to -1, and
// gives false. A file name or title over MaxPath characters raises 5 (invalid argument). The owner
// and the default extension are taken as the project's file dialog takes them: the dialog opens
// over the active window, and only existing files can be chosen.
bool ShowOpenFileDialog(std::string& fileName, std::string& fileTitle, bool fileMustExist,
                        bool multiSelect, bool& readOnly, bool hideReadOnly, std::string& filter,
                        int32_t& filterIndex, const std::string& initialDir,
                        const std::string& dialogTitle, const std::string& defaultExt,
                        QWidget* owner, int32_t& flags);

// The text up to its first NUL (all of it when it holds none).
std::string TrimAtNull(const std::string& text);

// The index-th pair (from 1) of a NUL-separated filter list: description, NUL, pattern; the
// empty text when the list has no such pair.
std::string FilterAtIndex(const std::string& list, int32_t index);

} // namespace mCommonDialog
