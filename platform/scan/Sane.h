#pragma once
// The scanners of this machine through SANE: the devices it lists and the scan of one page.

#include <QImage>

#include <string>
#include <vector>

namespace scan {

struct Device
{
    std::string name; // what opens it, such as "test:0"
    std::string vendor;
    std::string model;
    std::string type;
};

// The devices SANE lists now; empty when there is none or SANE cannot start.
std::vector<Device> Devices();

enum class Mode { Colour, Grey };

// The scan mode to ask of a device that offers these modes: colour where offered (when wanted),
// else grey; empty when it offers neither, and the device then scans in its own mode.
std::string ModeName(const std::vector<std::string>& offered, Mode wanted);

// Scans one page from the device in the mode (ModeName), at the device's own resolution and area.
// A null picture when it fails, with SANE's reason in error.
QImage Scan(const std::string& device, Mode mode, std::string* error = nullptr);

} // namespace scan
