// harnix-dbtool: makes the databases of a program folder.
//   harnix-dbtool create <folder> [--demo]
//   harnix-dbtool create <folder> --large [--employees N] [--articles N] [--movements N]
//                 [--profiles N] [--quota-lines N] [--machines N] [--receipts N] [--seed N]
//                 [--last-day YYYY-MM-DD]
// creates zad.MDB, MAINTEN.MDB and CP.MDB in the folder; with --demo, zad.MDB holds the
// demonstration data, with --large a large company's generated data (the same rows for the same
// seed and last day). An existing file is never overwritten.

#include "harnix/database/Databases.h"
#include "harnix/database/Generateur.h"
#include "platform/vb/Error.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::cerr << "usage: harnix-dbtool create <folder> [--demo]\n"
                 "       harnix-dbtool create <folder> --large [--employees N] [--articles N]\n"
                 "           [--movements N] [--profiles N] [--quota-lines N] [--machines N]\n"
                 "           [--receipts N] [--seed N] [--last-day YYYY-MM-DD]\n";
    return 2;
}

bool ReadCount(std::string_view text, long& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value > 0;
}

// The options of --large; false on an unknown option or a count that is not a positive number.
bool ReadVolumes(int argc, char** argv, database::data::Volumes& volumes)
{
    const std::map<std::string_view, long*> counts{
        {"--employees", &volumes.employees},    {"--articles", &volumes.articles},
        {"--movements", &volumes.movements},    {"--profiles", &volumes.profiles},
        {"--quota-lines", &volumes.quotaLines}, {"--machines", &volumes.machines},
        {"--receipts", &volumes.receipts}};
    for (int i = 4; i < argc; i += 2) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string_view value = argv[i + 1];
        long number = 0;
        if (option == "--last-day") {
            volumes.lastDay = value;
        } else if (option == "--seed") {
            if (!ReadCount(value, number)) {
                return false;
            }
            volumes.seed = uint64_t(number);
        } else if (const auto count = counts.find(option);
                   count != counts.end() && ReadCount(value, number)) {
            *count->second = number;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || std::string_view(argv[1]) != "create") {
        return Usage();
    }
    const std::string_view kind = argc > 3 ? argv[3] : "";
    database::data::Volumes volumes;
    if (!(argc == 3 || (argc == 4 && kind == "--demo") ||
          (kind == "--large" && ReadVolumes(argc, argv, volumes)))) {
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
        const std::string zad = (folder / names[0]).string();
        if (kind == "--large") {
            database::CreateZad(zad, [&volumes](ado::Connection& connection) {
                database::data::FillLarge(connection, volumes);
            });
        } else {
            database::CreateZad(zad, kind == "--demo");
        }
        database::CreateMainten((folder / names[1]).string());
        database::CreateCodesPostaux((folder / names[2]).string());
    } catch (const vb::Error& error) {
        std::cerr << "harnix-dbtool: " << error.Description() << "\n";
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "harnix-dbtool: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
