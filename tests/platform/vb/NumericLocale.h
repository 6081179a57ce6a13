#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// Switches the user's locale for a test to a real locale compiled with localedef into a
// private folder (the machine itself may have none but C installed).
class NumericLocale
{
public:
    // "fr_FR" (decimal ",") or "en_US" (decimal "."); false when the locale cannot be built.
    static bool Use(const std::string& name)
    {
        static const Folder folder;
        const std::filesystem::path target = folder.path / (name + ".UTF-8");
        if (!std::filesystem::exists(target / "LC_NUMERIC")) {
            const std::string command =
                "localedef -i " + name + " -f UTF-8 " + target.string() + " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0 &&
                !std::filesystem::exists(target / "LC_NUMERIC")) {
                return false;
            }
        }
        setenv("LOCPATH", folder.path.c_str(), 1);
        setenv("LC_ALL", (name + ".UTF-8").c_str(), 1);
        return true;
    }

private:
    struct Folder
    {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("vb-locales-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() { std::filesystem::remove_all(path); }
    };
};

// Expects a vb::Error with the given number from the statement.
#define EXPECT_VB_ERROR(statement, number)                                                         \
    do {                                                                                           \
        try {                                                                                      \
            (void)(statement);                                                                     \
            ADD_FAILURE() << #statement " raised no error";                                        \
        } catch (const vb::Error& e) {                                                             \
            EXPECT_EQ(e.Number(), number) << #statement;                                           \
        }                                                                                          \
    } while (false)
