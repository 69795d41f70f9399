// Writes the costliest scenarios into a folder, for timing whole programs
// on them (bench/limit-programs.sh): those at the size limit, and larger
// ones, sparse, that must be refused at once.
//
//   tessel_hostile_scenarios FOLDER
#include "HostileScenarios.h"
#include "ScenarioChunks.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tessel_hostile_scenarios FOLDER\n";
        return 2;
    }
    namespace hostile = tessel::hostile;
    const std::string folder = std::string(argv[1]) + "/";
    constexpr int64_t limit = tessel::MaximumScenarioSize;
    constexpr int64_t twoGigabytes = int64_t{1} << 31;
    try {
        hostile::WriteLargestMap(folder + "limit_largest_map.pud", limit);
        hostile::WriteZeroUnits(folder + "limit_zero_units.pud", limit);
        hostile::WriteEmptyChunksAfterMap(folder + "limit_empty_chunks.pud", limit);
        hostile::WriteStackedUnits(folder + "limit_stacked_units.pud", limit, 256);
        hostile::WriteEmptyChunksAfterMap(folder + "over_by_one_byte.pud", limit + 1);
        hostile::WriteMapOfSide(folder + "over_side_32767.pud", 32767);
        hostile::WriteZeroUnits(folder + "over_units_of_2_gb.pud", twoGigabytes);
        hostile::WriteEmptyChunksAfterMap(folder + "over_2_gb_of_empty_chunks.pud", twoGigabytes);
    } catch (const std::exception& error) {
        std::cerr << "tessel_hostile_scenarios: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
