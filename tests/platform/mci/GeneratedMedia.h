#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <unistd.h>

// Media files made by ffmpeg for the tests, from its synthetic sources.
namespace testmedia {

inline std::filesystem::path TempFolder(const std::string& name)
{
    auto folder =
        std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Runs ffmpeg with the given arguments, writing to path.
inline void Ffmpeg(const std::string& arguments, const std::filesystem::path& path)
{
    const std::string command =
        "ffmpeg -hide_banner -loglevel error -y " + arguments + " '" + path.string() + "'";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(path))
        throw std::runtime_error("ffmpeg failed: " + command);
}

// A WMV with a tone: WMV2 video, WMA audio. source is an ffmpeg video source
// with its options, e.g. "testsrc=size=320x240" or "color=c=red:size=320x240".
inline void MakeWmv(const std::filesystem::path& path, double seconds,
                    const std::string& source = "testsrc=size=320x240")
{
    const std::string d = std::to_string(seconds);
    Ffmpeg("-f lavfi -i " + source + ":rate=25:duration=" + d +
               " -f lavfi -i sine=frequency=440:duration=" + d + " -c:v wmv2 -c:a wmav2 -shortest",
           path);
}

} // namespace testmedia
