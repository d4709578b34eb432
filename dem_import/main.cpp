// taverlin: converts USGS ASCII DEM files into DTM files with int16 cells.
#include <new>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/platform.hpp"
#include "dem_import/batch.hpp"
#include "dem_import/command_line.hpp"
#include "dem_import/conversion.hpp"
#include "dem_import/run_settings.hpp"

namespace {

constexpr double TAVERLIN_VERSION = 2.0;

int run(int argc, char** argv) {
    DemRunSettings settings;
    platform::prepare_console();
    platform::clean_up_on_interruption();
    print_info(format_text("\nUSGS DEM Import Utility -- Version %.2lf\n\n", TAVERLIN_VERSION));
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), settings) != 0) {
        print_usage();
        return 1;
    }
    if (settings.batch_mode) {
        return run_batch(settings);
    }
    const ConversionResult result = convert_dem_file(settings);
    switch (result.outcome) {
    case ConversionOutcome::Converted:
        return 0;
    case ConversionOutcome::HeaderUnreadable:
        print_error("Cannot read USGS DEM file header");
        return 1;
    case ConversionOutcome::Failed:
        print_error(result.message);
        return 1;
    }
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        print_error("Not enough memory");
        return 1;
    }
}
