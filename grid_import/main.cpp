// briskel: converts Surfer grids (Surfer 6 ASCII and binary, Surfer 7
// binary) into DTM files with float32 cells.
#include <new>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "grid_import/conversion.hpp"
#include "grid_import/grid_command_line.hpp"
#include "grid_import/grid_run_settings.hpp"
#include "grid_import/grid_status.hpp"
#include "platform/platform.hpp"
#include "textscan/text_format.hpp"

namespace briskel {
namespace {

using cli::print_info;
using textscan::format_text;

constexpr double BRISKEL_VERSION = 1.0;

int run(int argc, char** argv) {
    GrdRunSettings settings;
    platform::prepare_console();
    platform::clean_up_on_interruption();
    if (parse_command_line(platform::program_arguments(argc, argv), settings) !=
        cli::CommandLine::run) {
        print_usage();
        return 1;
    }
    print_info(format_text("\nSurfer GRD Import Utility -- Version %.2lf\n\n", BRISKEL_VERSION));
    const GridStatus status = convert_grid_file(settings);
    if (status != GridStatus::ok) {
        cli::print_error(grid_message(status, settings.dest_path));
        if (status == GridStatus::not_surfer) {
            cli::print_error("BRISKEL recognizes SURFER V6 ASCII and binary and V7 binary formats");
        }
        return 1;
    }
    return 0;
}

} // namespace
} // namespace briskel

int main(int argc, char** argv) {
    try {
        return briskel::run(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::print_error(briskel::grid_message(briskel::GridStatus::no_memory, {}));
        return 1;
    }
}
