#include "grid_import/dtm_output.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "dtmfile/conventions.hpp"
#include "dtmfile/units.hpp"
#include "platform/platform.hpp"

namespace briskel {

int estimated_cell_bytes(int data_type) {
    switch (data_type) {
    case dtm::DTM_INT16:
        return 2;
    case dtm::DTM_INT32:
        return 4;
    case dtm::DTM_FLOAT32:
        return 6;
    case dtm::DTM_FLOAT64:
        return 8;
    default:
        return 1;
    }
}

void set_unit_factors(GrdRunSettings& settings) {
    settings.xy_factor = dtm::unit_factor(settings.src_xy_units, settings.dst_xy_units);
    settings.z_factor = dtm::unit_factor(settings.src_z_units, settings.dst_z_units);
}

dtm::DtmHeader fill_dtm_header(const GrdInfo& info, const GrdRunSettings& settings) {
    const dtm::WriterConvention& convention = dtm::convention_of(dtm::Writer::briskel);
    dtm::DtmHeader header;
    dtm::set_dtm_signature(header);
    dtm::set_dtm_description(header, settings.source_path);
    header.version = convention.version;
    header.x_origin = info.x_min * settings.xy_factor;
    header.y_origin = info.y_min * settings.xy_factor;
    header.z_min = info.z_min * settings.z_factor;
    header.z_max = info.z_max * settings.z_factor;
    header.rotation = info.rotation;
    header.x_spacing = info.x_spacing * settings.xy_factor;
    header.y_spacing = info.y_spacing * settings.xy_factor;
    header.column_count = info.columns;
    header.row_count = info.rows;
    header.xy_units = dtm::dtm_unit_code(settings.dst_xy_units);
    header.z_units = dtm::dtm_unit_code(settings.dst_z_units);
    header.data_type = convention.data_type;
    header.coord_system = static_cast<std::int16_t>(settings.coord_system);
    header.coord_zone = static_cast<std::int16_t>(settings.coord_zone);
    return header;
}

bool has_disk_space(const dtm::DtmHeader& header, const std::string& dest_path) {
    const auto free = platform::free_disk_space(platform::split_path(dest_path).directory);
    if (!free) {
        return true;
    }
    const auto cells = static_cast<std::int64_t>(header.row_count) *
                       static_cast<std::int64_t>(header.column_count);
    const double needed = static_cast<double>(cells) * estimated_cell_bytes(header.data_type) +
                          static_cast<double>(dtm::DTM_DATA_OFFSET);
    return needed <= static_cast<double>(*free);
}

dtm::WriteStatus write_dtm_cells(const GrdGrid& grid, dtm::DtmWriter& writer) {
    if (grid.order == CellOrder::columns) {
        writer.put_cells(std::span<const float>(grid.cells.get(), grid.size()));
        return writer.failed() ? dtm::WriteStatus::cannot_write : dtm::WriteStatus::ok;
    }
    const auto columns = static_cast<std::size_t>(grid.columns);
    const float* const cells = grid.cells.get();
    return writer.put_rows_as_columns<float>(
        static_cast<std::size_t>(grid.rows), columns,
        [cells, columns](std::size_t row, std::size_t first_column, std::size_t, float*) {
            return cells + row * columns + first_column;
        });
}

} // namespace briskel
