// dtminfo's description as one JSON object (/J), for scripts: the same facts
// as the text, every number exact.
#pragma once

#include <optional>
#include <string>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtmfile/dtm_reader.hpp"

namespace dtminfo {

// What one run found out, filled in as far as it got.
struct RunDescription {
    std::string path;
    bool header_read = false; // the header, facts, status and convention hold
    dtm::DtmHeader header;
    dtm::DtmFileFacts facts;
    dtm::DtmReadStatus status = dtm::DtmReadStatus::ok;
    DtmConvention convention;
    std::optional<CellStatistics> statistics; // once every cell was read
    std::optional<PictureFacts> picture;      // once the picture was written
    std::string error;                        // the ERROR line's text; empty after a good run
};

// The object, indented, with a line end. Every key is always there, null
// where the run did not get so far; bytes of names and descriptions that
// are not UTF-8 become U+FFFD.
std::string json_description(const RunDescription& run);

} // namespace dtminfo
