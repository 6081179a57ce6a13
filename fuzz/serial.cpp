// Settings of a serial port as a program's settings file gives them: "9600,N,8,1".

#include "fuzz/FuzzSupport.h"
#include "platform/comm/Settings.h"
#include "platform/vb/Error.h"

#include <termios.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const comm::LineSettings settings = comm::ParseSettings(fuzz::Text(data, size));
        termios tio{};
        comm::ApplySettings(tio, settings);
    } catch (const vb::Error&) {
    }
    return 0;
}
