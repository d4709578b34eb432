// The conversion of one Surfer grid into a DTM file with float32 cells.
#pragma once

#include "cli/console.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "grid_import/grid_run_settings.hpp"
#include "grid_import/grid_status.hpp"

namespace briskel {

// Where a conversion writes: the DTM, and the console lines.
struct GridOutputs {
    dtm::OutputSink& dtm;
    cli::Reporter& console;
};

// The whole conversion of settings.source_path: the layout recognised, the
// header read, the free space checked, the summary, every node read into
// the grid, then the DTM written and committed ("Done!"). The DTM is
// touched only once the whole grid is held, so a grid that cannot be read
// never harms an existing destination; one not committed is left to its
// sink to discard.
GridStatus convert_grid(GrdRunSettings& settings, const GridOutputs& out);

// convert_grid into the file settings.dest_path and onto the console.
GridStatus convert_grid_file(GrdRunSettings& settings);

} // namespace briskel
