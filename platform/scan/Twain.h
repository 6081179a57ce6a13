#pragma once
// What the program asks of a scanner: let the person choose one, and scan one page onto the
// clipboard. The scanners are those of SANE (Sane.h).

#include "platform/scan/Sane.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace scan {

// Shows the devices and returns the name of the one chosen; nothing when the person cancels.
using SourceChooser =
    std::function<std::optional<std::string>(const std::vector<Device>& devices, QWidget* owner)>;

// Installs the chooser of TWAIN_SelectImageSource (tests answer it); null puts back the dialog.
void SetSourceChooser(SourceChooser chooser);

// The device chosen in this run; empty when none was, and scans then use the first one listed.
const std::string& ChosenSource();
void SetChosenSource(const std::string& device);

// Lets the person choose the scanner among those listed; it is kept for the run. True when one
// was chosen.
bool TWAIN_SelectImageSource(QWidget* owner);

// Scans one page from the chosen scanner, in colour or in grey where it offers only that, and puts
// it on the clipboard as a picture. True when the clipboard holds the page; a failure (no scanner,
// a scan that fails) says why in a message box and leaves the clipboard as it was.
bool TWAIN_AcquireToClipboard(QWidget* owner);

} // namespace scan
