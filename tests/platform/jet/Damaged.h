#pragma once
// nwind.mdb with seven damaged bytes, on which mdbtools crashes (in mdb_map_find_next, under
// mdb_fetch_row).

#include <fstream>
#include <iterator>
#include <string>

namespace jet::testing {

inline void WriteDamagedNwind(const std::string& dataFolder, const std::string& path)
{
    std::ifstream in(dataFolder + "/nwind.mdb", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    bytes.at(4294) = static_cast<char>(0xEC);
    for (size_t i = 24600; i <= 24605; ++i)
        bytes.at(i) = 0;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace jet::testing
