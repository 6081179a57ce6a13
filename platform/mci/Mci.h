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
    ErrMissingStringArgument = 269,
    ErrBadInteger = 270,
    ErrMissingParameter = 273,
    ErrUnsupportedFunction = 274,
    ErrFileNotFound = 275,
    ErrOutOfRange = 282,
    ErrDuplicateAlias = 289,
    ErrInvalidFile = 296,
};

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
