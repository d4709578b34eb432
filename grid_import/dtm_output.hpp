// From the loaded grid to the DTM file: unit factors, the header, the
// free-space check and the float32 cells.
#pragma once

#include <cstddef>
#include <string>

#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/grid_run_settings.hpp"

namespace briskel {

// Bytes a cell of the given type counts for in the free-space estimate
// (float32 counts 6).
int estimated_cell_bytes(int data_type);

void set_unit_factors(GrdRunSettings& settings);

// The DTM header in BRISKEL's convention, from the grid's header scaled to
// the DTM's units.
dtm::DtmHeader fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings);

// True when the volume of the destination's directory has room for the
// cells as estimated plus the 200 header bytes. A volume whose free space
// cannot be learned counts as having room.
[[nodiscard]] bool has_disk_space(const dtm::DtmHeader& header, const std::string& dest_path);

// Hands the grid's cells to the writer: as they lie when the grid is in the
// file's order, else row by row for the writer to write column by column.
dtm::WriteStatus write_dtm_cells(const GrdGrid& grid, dtm::DtmWriter& writer);

} // namespace briskel
