// How the DEM readers and passes end, and what taverlin says about it.
#pragma once

#include <cstdint>
#include <string>

#include "dem_import/run_settings.hpp"

namespace taverlin {

enum class [[nodiscard]] DemStatus{
    ok,
    cannot_read_header,       // the DEM cannot be opened, or its Type A record read
    cannot_read_profile,      // a profile cannot be read (the result names it)
    cannot_read_source,       // the reformatting pass cannot reach the first profile
    bad_resolution,           // a zero, negative or non-finite X or Y resolution
    extent_too_large,         // the grid does not fit a DTM file, or far outgrows the DEM
    cannot_write_destination, // the DTM file cannot be created or written
    cannot_write_report,      // the ".HDR" report cannot be created or written
};

// A status with the number of the profile it concerns (from 1; 0 when it
// concerns none).
struct [[nodiscard]] DemResult {
    DemStatus status = DemStatus::ok;
    std::int32_t profile = 0;

    bool ok() const { return status == DemStatus::ok; }
};

// The error line's text for a result other than ok.
std::string dem_message(const DemResult& result, const DemRunSettings& settings);

} // namespace taverlin
