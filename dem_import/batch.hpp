// Batch mode: every DEM named in a list file is converted, and the run is
// logged in "TAVERLIN.logfile".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "dem_import/run_settings.hpp"

namespace taverlin {

inline constexpr const char* BATCH_LOG_NAME = "TAVERLIN.logfile";

enum class [[nodiscard]] ListLine{path, end, too_long};

// The next path line of the list: lines end at CR or LF, empty lines are
// passed over uncounted, comment lines ("!", "%", ";" or a first byte 0xFF)
// are counted and passed over. A line longer than the longest name is
// too_long (its first bytes in `line`).
ListLine read_list_line(std::FILE* list, std::string& line, std::int32_t& list_line_number);

// Source and destination of a list line, checked: the line upper-cased, and
// the same name with the extension ".DTM". False when they cannot be used.
[[nodiscard]] bool derive_batch_paths(const std::string& line, DemRunSettings& settings);

// Converts every file of the list; returns the exit status: 0 when every
// file converted, 1 when any line failed or the run ended early.
int run_batch(DemRunSettings& settings);

} // namespace taverlin
