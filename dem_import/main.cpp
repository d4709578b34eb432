// taverlin: converts USGS ASCII DEM files into DTM files with int16 cells.
#include <new>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "dem_import/batch.hpp"
#include "dem_import/command_line.hpp"
#include "dem_import/conversion.hpp"
#include "dem_import/run_settings.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace taverlin {
namespace {

constexpr double TAVERLIN_VERSION = 2.0;

int run(int argc, char** argv) {
    DemRunSettings settings;
    platform::prepare_console();
    platform::clean_up_on_interruption();
    cli::print_info(
        textscan::format_text("\nUSGS DEM Import Utility -- Version %.2lf\n\n", TAVERLIN_VERSION));
    if (parse_command_line(platform::program_arguments(argc, argv), settings) !=
        cli::CommandLine::run) {
        print_usage();
        return 1;
    }
    if (settings.batch_mode) {
        return run_batch(settings);
    }
    const DemResult result = convert_dem_file(settings);
    if (!result.ok()) {
        cli::print_error(dem_message(result, settings));
        return 1;
    }
    return 0;
}

} // namespace
} // namespace taverlin

int main(int argc, char** argv) {
    try {
        return taverlin::run(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::print_error("Not enough memory");
        return 1;
    }
}
