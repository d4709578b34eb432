// Batch mode: every DEM named in a list file is converted, and the run is
// logged in "TAVERLIN.logfile".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "dem_import/run_settings.hpp"

inline constexpr const char* BATCH_LOG_NAME = "TAVERLIN.logfile";

enum ListLineStatus { LIST_LINE = 0, LIST_END = 1, LIST_LINE_TOO_LONG = 2 };

// The next path line of the list: lines end at CR or LF, empty lines are
// passed over uncounted, comment lines ("!", "%", ";" or a first byte 0xFF)
// are counted and passed over. A line longer than the longest name is
// reported as LIST_LINE_TOO_LONG (its first bytes in `line`).
ListLineStatus read_list_line(std::FILE* list, std::string& line, std::int32_t& list_line_number);

// Source and destination of a list line, checked: the line upper-cased, and
// the same name with the extension ".DTM". 0 when usable, 1 otherwise.
int derive_batch_paths(const std::string& line, DemRunSettings& settings);

// Converts every file of the list; returns the exit status: 0 when every
// file converted, 1 when any line failed or the run ended early.
int run_batch(DemRunSettings& settings);
