#include "grid_import/grid_status.hpp"

#include "textscan/text_format.hpp"

namespace briskel {

std::string grid_message(GridStatus status, const std::string& dest_path) {
    switch (status) {
    case GridStatus::ok:
        return "Done!";
    case GridStatus::not_surfer:
        return "Source file does not appear to be a SURFER model";
    case GridStatus::cannot_read_header:
        return "Could not read source grid information";
    case GridStatus::cannot_read_data:
        return "Could not read source grid data";
    case GridStatus::no_memory:
        return "Could not allocate memory for source grid data";
    case GridStatus::no_disk_space:
        return "Not enough disk space for destination file";
    case GridStatus::cannot_create:
        return "Could not create destination dtm file";
    case GridStatus::cannot_write:
        break;
    }
    return textscan::format_text("Could not write destination dtm file: %s", dest_path.c_str());
}

} // namespace briskel
