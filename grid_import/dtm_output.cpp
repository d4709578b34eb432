#include "dtm_output.hpp"

#include "cell_writer.hpp"
#include "platform.hpp"
#include "units.hpp"

int estimated_cell_bytes(int data_type) {
    switch (data_type) {
    case DTM_INT16:
        return 2;
    case DTM_INT32:
        return 4;
    case DTM_FLOAT32:
        return 6;
    case DTM_FLOAT64:
        return 8;
    default:
        return 1;
    }
}

void set_unit_factors(GrdRunSettings& settings) {
    settings.xy_factor = unit_factor(settings.src_xy_units, settings.dst_xy_units);
    settings.z_factor = unit_factor(settings.src_z_units, settings.dst_z_units);
}

void fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings, DtmHeader& header) {
    set_dtm_signature(header);
    set_dtm_description(header, settings.source_path);
    header.version = 3.0f;
    header.x_origin = info.x_min * settings.xy_factor;
    header.y_origin = info.y_min * settings.xy_factor;
    header.z_min = info.z_min * settings.z_factor;
    header.z_max = info.z_max * settings.z_factor;
    header.rotation = info.rotation;
    header.x_spacing = info.x_spacing * settings.xy_factor;
    header.y_spacing = info.y_spacing * settings.xy_factor;
    header.column_count = info.columns;
    header.row_count = info.rows;
    header.xy_units = static_cast<std::int16_t>(settings.dst_xy_units);
    header.z_units = static_cast<std::int16_t>(settings.dst_z_units);
    header.data_type = DTM_FLOAT32;
    header.coord_system = static_cast<std::int16_t>(settings.coord_system);
    header.coord_zone = static_cast<std::int16_t>(settings.coord_zone);
}

int check_disk_space(const DtmHeader& header, const std::string& dest_path) {
    const auto free = platform::free_disk_space(platform::split_path(dest_path).directory);
    if (!free) {
        return 1;
    }
    const auto cells = static_cast<std::int64_t>(header.row_count) *
                       static_cast<std::int64_t>(header.column_count);
    const double needed = static_cast<double>(cells) * estimated_cell_bytes(header.data_type) +
                          static_cast<double>(DTM_DATA_OFFSET);
    return needed <= static_cast<double>(*free) ? 1 : 0;
}

bool write_dtm_cells(const GrdGrid& grid, const GrdInfo& info, double z_factor, std::FILE* stream) {
    DtmCellWriter cells(stream, DTM_FLOAT32);
    if (grid.size() == 0) {
        return cells.flush(); // no rows: a billion empty columns are not walked
    }
    for (std::int32_t c = 0; c < grid.columns; ++c) {
        for (std::int32_t r = 0; r < grid.rows; ++r) {
            const double v = grid.node(r, c);
            cells.put(v >= info.blank_value ? static_cast<double>(DTM_BLANK_CELL) : v * z_factor);
        }
    }
    return cells.flush();
}
