// From the loaded grid to the DTM file: unit factors, the header, the
// free-space check and the float32 cells.
#pragma once

#include <cstdio>
#include <string>

#include "dtmfile/dtm_header.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_header.hpp"
#include "grid_import/grid_run_settings.hpp"

// Written for every blank node (bits C6FFFE00).
inline constexpr float DTM_BLANK_CELL = -32767.0f;

// Bytes a cell of the given type counts for in the free-space estimate
// (float32 counts 6).
int estimated_cell_bytes(int data_type);

void set_unit_factors(GrdRunSettings& settings);

void fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings, DtmHeader& header);

// 1 when the volume of the destination's directory has room for the cells
// as estimated plus the 200 header bytes, else 0. A volume whose free space
// cannot be learned counts as having room.
int check_disk_space(const DtmHeader& header, const std::string& dest_path);

// Writes the cells column by column, each from the y_min row northward:
// blank nodes as DTM_BLANK_CELL, others times z_factor rounded to float32.
// False when a write failed.
bool write_dtm_cells(const GrdGrid& grid, const GrdInfo& info, double z_factor, std::FILE* stream);
