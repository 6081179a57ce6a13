#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "win-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string file = *this / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::string path_;
};

// The whole content of a file, or the empty text when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
