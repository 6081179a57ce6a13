#include "platform/mci/Mci.h"

#include "platform/mci/Device.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace mci {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return lower;
}

// Splits a command at blanks; double quotes keep blanks inside a word and are
// dropped, so "C:/my videos/a.wmv" and mpegvideo!"/my videos/a.wmv" are one word.
std::vector<std::string> Tokenize(std::string_view command)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<long> ParseInteger(const std::string& text)
{
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// A number word within [low, high]: NoError and the value, else ErrBadInteger or ErrOutOfRange.
int ReadInRange(const std::string& word, long low, long high, long& value)
{
    auto number = ParseInteger(word);
    if (!number)
        return ErrBadInteger;
    if (*number < low || *number > high)
        return ErrOutOfRange;
    value = *number;
    return NoError;
}

// Words that may stand anywhere in a command and change nothing here.
bool IsFlag(const std::string& word)
{
    return word == "wait" || word == "notify" || word == "shareable";
}

// The words after the device name, lower-cased, without the flags; the
// original spelling is kept alongside for file names and aliases.
struct Arguments
{
    std::vector<std::string> words;
    std::vector<std::string> original;

    bool Empty() const { return words.empty(); }
};

Arguments ArgumentsFrom(const std::vector<std::string>& tokens, std::size_t first)
{
    Arguments args;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        std::string lower = Lower(tokens[i]);
        if (IsFlag(lower))
            continue;
        args.words.push_back(std::move(lower));
        args.original.push_back(tokens[i]);
    }
    return args;
}

std::map<std::string, std::unique_ptr<Device>>& Devices()
{
    static std::map<std::string, std::unique_ptr<Device>> devices;
    return devices;
}

struct WindowTable
{
    std::map<unsigned long, QPointer<QWidget>> byHandle;
    unsigned long next = 0x10010;
};

WindowTable& Windows()
{
    static WindowTable table;
    return table;
}

QWidget* WindowFromHandle(unsigned long handle)
{
    auto& table = Windows().byHandle;
    auto it = table.find(handle);
    return it == table.end() ? nullptr : it->second.data();
}

// Reads "at x y w h" from words[i..].
// "at x y width height": NoError and the rectangle; ErrUnrecognizedKeyword when the words are
// not four numbers, ErrOutOfRange for a number past the integer range.
int ParseRect(const Arguments& args, std::size_t i, QRect& rect)
{
    if (args.words.size() != i + 5 || args.words[i] != "at")
        return ErrUnrecognizedKeyword;
    int v[4];
    for (int k = 0; k < 4; ++k) {
        auto n = ParseInteger(args.words[i + 1 + std::size_t(k)]);
        if (!n)
            return ErrUnrecognizedKeyword;
        if (*n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max())
            return ErrOutOfRange;
        v[k] = int(*n);
    }
    rect = QRect(v[0], v[1], v[2], v[3]);
    return NoError;
}

int OpenCommand(const std::vector<std::string>& tokens)
{
    if (tokens.size() < 2)
        return ErrMissingParameter;
    std::string element = tokens[1];
    std::string type;
    // "type!file": the device type before the first "!", when it names no folder.
    const auto bang = element.find('!');
    if (bang != std::string::npos &&
        element.substr(0, bang).find_first_of("/\\") == std::string::npos) {
        type = Lower(element.substr(0, bang));
        element = element.substr(bang + 1);
    }

    const Arguments args = ArgumentsFrom(tokens, 2);
    std::string alias = element;
    QWidget* parent = nullptr;
    for (std::size_t i = 0; i < args.words.size(); i += 2) {
        if (i + 1 >= args.words.size())
            return ErrMissingParameter;
        const std::string& key = args.words[i];
        if (key == "alias") {
            alias = args.original[i + 1];
        } else if (key == "type") {
            type = args.words[i + 1];
        } else if (key == "parent") {
            auto handle = ParseInteger(args.words[i + 1]);
            if (!handle)
                return ErrBadInteger;
            parent = WindowFromHandle(static_cast<unsigned long>(*handle));
            if (!parent)
                return ErrOutOfRange;
        } else if (key == "style") {
            // The video window is always a child of its parent.
            if (!ParseInteger(args.words[i + 1]))
                return ErrBadInteger;
        } else {
            return ErrUnrecognizedKeyword;
        }
    }
    if (!type.empty() && type != "mpegvideo")
        return ErrInvalidDeviceName;
    const std::string key = Lower(alias);
    if (Devices().count(key))
        return ErrDuplicateAlias;

    std::unique_ptr<Device> device;
    const int error = Device::Open(element, parent, device);
    if (error == NoError)
        Devices()[key] = std::move(device);
    return error;
}

int PlayCommand(Device& device, const Arguments& args)
{
    if (args.Empty()) {
        device.Play();
        return NoError;
    }
    if (args.words.size() == 2 && args.words[0] == "from") {
        long from;
        if (int error = ReadInRange(args.words[1], 0, device.Length(), from))
            return error;
        device.PlayFrom(from);
        return NoError;
    }
    return ErrUnrecognizedKeyword;
}

int SeekCommand(Device& device, const Arguments& args)
{
    if (args.words.size() != 2 || args.words[0] != "to")
        return args.Empty() ? ErrMissingParameter : ErrUnrecognizedKeyword;
    long target = 0;
    if (args.words[1] == "start") {
        target = 0;
    } else if (args.words[1] == "end") {
        target = device.Length();
    } else {
        if (int error = ReadInRange(args.words[1], 0, device.Length(), target))
            return error;
    }
    device.Seek(target);
    return NoError;
}

int SetCommand(Device& device, const Arguments& args)
{
    const auto& w = args.words;
    if (w.size() == 3 && w[0] == "time" && w[1] == "format")
        return w[2] == "milliseconds" || w[2] == "ms" ? NoError : ErrUnsupportedFunction;
    if (w.size() == 2 && w[0] == "speed") {
        long speed;
        if (int error = ReadInRange(w[1], 10, 100000, speed))
            return error;
        device.SetSpeed(speed);
        return NoError;
    }
    if (w.size() == 3 && w[0] == "audio" && w[1] == "all" && (w[2] == "on" || w[2] == "off")) {
        device.SetAudio(w[2] == "on");
        return NoError;
    }
    return w.empty() ? ErrMissingParameter : ErrUnrecognizedKeyword;
}

int SetAudioCommand(Device& device, const Arguments& args)
{
    const auto& w = args.words;
    if (w.size() != 3 || w[0] != "volume" || w[1] != "to")
        return w.empty() ? ErrMissingParameter : ErrUnrecognizedKeyword;
    long level;
    if (int error = ReadInRange(w[2], 0, 1000, level))
        return error;
    device.SetVolume(level);
    return NoError;
}

int StatusCommand(Device& device, const Arguments& args, std::string& answer)
{
    if (args.words.size() != 1)
        return args.Empty() ? ErrMissingParameter : ErrUnrecognizedKeyword;
    const std::string& item = args.words[0];
    if (item == "length")
        answer = std::to_string(device.Length());
    else if (item == "position")
        answer = std::to_string(device.Position());
    else if (item == "speed")
        answer = std::to_string(device.Speed());
    else if (item == "volume")
        answer = std::to_string(device.Volume());
    else if (item == "audio")
        answer = device.Audio() ? "on" : "off";
    else
        return ErrUnrecognizedKeyword;
    return NoError;
}

int PutCommand(Device& device, const Arguments& args)
{
    if (args.Empty())
        return ErrMissingParameter;
    QRect rect;
    if (const int error = ParseRect(args, 1, rect); error != NoError)
        return error;
    if (args.words[0] == "window")
        device.PutWindow(rect);
    else if (args.words[0] == "destination")
        device.PutDestination(rect);
    else
        return ErrUnrecognizedKeyword;
    return NoError;
}

int WhereCommand(Device& device, const Arguments& args, std::string& answer)
{
    if (args.words.size() != 1 || args.words[0] != "destination")
        return args.Empty() ? ErrMissingParameter : ErrUnrecognizedKeyword;
    const QRect d = device.Destination();
    answer = std::to_string(d.x()) + " " + std::to_string(d.y()) + " " + std::to_string(d.width()) +
             " " + std::to_string(d.height());
    return NoError;
}

int Dispatch(std::string_view command, std::string& answer)
{
    const std::vector<std::string> tokens = Tokenize(command);
    if (tokens.empty())
        return ErrMissingCommandString;
    const std::string verb = Lower(tokens[0]);
    if (verb == "open")
        return OpenCommand(tokens);
    if (tokens.size() < 2)
        return ErrMissingParameter;

    auto& devices = Devices();
    auto it = devices.find(Lower(tokens[1]));
    if (it == devices.end())
        return ErrInvalidDeviceName;
    Device& device = *it->second;
    const Arguments args = ArgumentsFrom(tokens, 2);

    if (verb == "close") {
        devices.erase(it);
        return NoError;
    }
    if (verb == "play")
        return PlayCommand(device, args);
    if (verb == "stop" || verb == "pause") {
        device.Stop();
        return NoError;
    }
    if (verb == "seek")
        return SeekCommand(device, args);
    if (verb == "set")
        return SetCommand(device, args);
    if (verb == "setaudio")
        return SetAudioCommand(device, args);
    if (verb == "status")
        return StatusCommand(device, args, answer);
    if (verb == "put")
        return PutCommand(device, args);
    if (verb == "where")
        return WhereCommand(device, args, answer);
    return ErrUnrecognizedCommand;
}

} // namespace

int SendString(std::string_view command, std::string& returnText, std::size_t returnLength)
{
    std::string answer;
    int error = Dispatch(command, answer);
    if (returnLength == 0)
        return error;
    if (answer.size() >= returnLength) {
        answer.resize(returnLength - 1);
        if (error == NoError)
            error = ErrParamOverflow;
    }
    returnText = answer;
    return error;
}

int SendString(std::string_view command)
{
    std::string ignored;
    return SendString(command, ignored, 0);
}

unsigned long WindowHandle(QWidget* widget)
{
    auto& table = Windows();
    for (const auto& [handle, window] : table.byHandle)
        if (window == widget)
            return handle;
    const unsigned long handle = table.next;
    table.next += 0x10;
    table.byHandle[handle] = widget;
    QObject::connect(widget, &QObject::destroyed, [handle] { Windows().byHandle.erase(handle); });
    return handle;
}

} // namespace mci
