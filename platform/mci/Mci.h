#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class QWidget;

// Media control by command strings: one entry takes a command text such as
// "play 42Aform from 0" and answers with an error code and, for queries, a
// return text ("2000" for a length in milliseconds). Devices are named by the
// alias given when they are opened; times are milliseconds.
namespace mci {

// Error codes returned by SendString (0 is success).
enum Error : int {
    NoError = 0,
    ErrUnrecognizedKeyword = 259,
    ErrUnrecognizedCommand = 261,
    ErrHardware = 262,
    ErrInvalidDeviceName = 263,
    ErrCannotLoadDriver = 266,
    ErrMissingCommandString = 267,
    ErrParamOverflow = 268,
    ErrBadInteger = 270,
    ErrMissingParameter = 273,
    ErrUnsupportedFunction = 274,
    ErrFileNotFound = 275,
    ErrOutOfRange = 282,
    ErrDuplicateAlias = 289,
    ErrInvalidFile = 296,
};

// The commands ({a} is the alias; words are case-insensitive; a path with
// blanks is written in double quotes):
//   open [mpegvideo!]path [type mpegvideo] [alias {a}] [parent handle] [style n]
//       the device stands stopped at 0; its video window is a child of parent
//   play {a} [from ms]   stop {a}   close {a}   seek {a} to ms|start|end (stops)
//   set {a} time format milliseconds|ms   set {a} speed n (1000 = normal)
//   set {a} audio all on|off   setaudio {a} volume to n (0 to 1000)
//   status {a} length|position|speed|volume|audio   (position at the end = length)
//   put {a} window|destination at x y w h   where {a} destination -> "x y w h"
// The words wait, notify and shareable are accepted and change nothing.
// Commands are sent from the thread of the windows.

// Sends one command. The answer of a query goes to returnText, cut to
// returnLength - 1 characters as a buffer of returnLength characters with its
// terminating NUL would hold it; a returnLength of 0 asks for no answer.
int SendString(std::string_view command, std::string& returnText, std::size_t returnLength);

// Sends a command whose answer is not wanted.
int SendString(std::string_view command);

// The handle under which a widget is named as "parent" of an opened device.
// The device's video window becomes a child of that widget.
unsigned long WindowHandle(QWidget* widget);

} // namespace mci
