// harnix-dbtool: makes the databases of a program folder.
//   harnix-dbtool create <folder> [--demo]
// creates zad.MDB, MAINTEN.MDB and CP.MDB in the folder; with --demo, zad.MDB
// holds the demonstration data. An existing file is never overwritten.

#include "harnix/database/Databases.h"
#include "platform/vb/Error.h"

#include <array>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::cerr << "usage: harnix-dbtool create <folder> [--demo]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4 || std::string_view(argv[1]) != "create") {
        return Usage();
    }
    const bool demo = argc == 4;
    if (demo && std::string_view(argv[3]) != "--demo") {
        return Usage();
    }
    const std::filesystem::path folder = argv[2];
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "harnix-dbtool: " << folder.string() << " is not a folder\n";
        return 1;
    }
    const std::array<std::string, 3> names{"zad.MDB", "MAINTEN.MDB", "CP.MDB"};
    // Refuse before making anything, so that a folder is never left half made.
    for (const std::string& name : names) {
        if (std::filesystem::exists(folder / name)) {
            std::cerr << "harnix-dbtool: " << (folder / name).string() << " already exists\n";
            return 1;
        }
    }
    try {
        database::CreateZad((folder / names[0]).string(), demo);
        database::CreateMainten((folder / names[1]).string());
        database::CreateCodesPostaux((folder / names[2]).string());
    } catch (const vb::Error& error) {
        std::cerr << "harnix-dbtool: " << error.Description() << "\n";
        return 1;
    }
    return 0;
}
