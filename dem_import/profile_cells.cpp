#include "dem_import/profile_cells.hpp"

#include "dtmfile/conventions.hpp"
#include "dtmfile/dtm_header.hpp"
#include "dtmfile/dtm_writer.hpp"

namespace taverlin {

namespace {

const auto VOID_CELL =
    static_cast<std::int16_t>(dtm::convention_of(dtm::Writer::taverlin).void_value);

} // namespace

void profile_cells(const DemProfile& profile, double z_resolution, double elevation_factor,
                   std::vector<std::int16_t>& cells) {
    cells.resize(profile.elevations.size());
    const double datum = profile.datum_elevation;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const double v = static_cast<double>(profile.elevations[i]) * z_resolution + datum;
        // Below 0 is a void, stored as the void value in every unit.
        cells[i] =
            v < 0.0
                ? VOID_CELL
                : static_cast<std::int16_t>(dtm::cell_value(dtm::DTM_INT16, elevation_factor * v));
    }
}

void ProfileCells::add(const DemProfile& profile) {
    Column& column = columns_.emplace_back(Column{profile.y_start, {}});
    profile_cells(profile, z_resolution_, elevation_factor_, column.cells);
}

} // namespace taverlin
