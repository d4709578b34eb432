#include "tests/support/dem_builder.hpp"

#include <cstdio>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr std::size_t RECORD = 1024;

std::string printf_text(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void put_at(std::string& record, std::size_t offset, const std::string& text) {
    if (record.size() < offset + text.size()) {
        throw std::logic_error("field beyond record");
    }
    record.replace(offset, text.size(), text);
}

// Splits a text into 1024-byte records padded with blanks.
std::vector<std::string> split_records(const std::string& text) {
    std::vector<std::string> records;
    for (std::size_t start = 0; start < text.size() || records.empty(); start += RECORD) {
        std::string record = text.substr(start, RECORD);
        record.resize(RECORD, ' ');
        records.push_back(record);
    }
    return records;
}

std::string lay_out(const std::vector<std::string>& records, RecordLayout layout,
                    const std::string& line_end, std::size_t minimum_kept) {
    std::string out;
    for (const std::string& record : records) {
        switch (layout) {
        case RecordLayout::Fixed:
            out += record;
            break;
        case RecordLayout::LineEnds:
            out += record + line_end;
            break;
        case RecordLayout::CutShort: {
            std::size_t end = record.find_last_not_of(' ');
            end = end == std::string::npos ? 0 : end + 1;
            if (end < minimum_kept) {
                end = minimum_kept;
            }
            out += record.substr(0, end) + line_end;
            break;
        }
        }
    }
    return out;
}

} // namespace

std::string format_i6(int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%6d", value);
    return buffer;
}

std::string format_d24(double value) {
    std::string text = printf_text("%24.15E", value);
    for (char& c : text) {
        if (c == 'E') {
            c = 'D';
        }
    }
    return text;
}

std::string format_e12(double value) {
    return printf_text("%12.6E", value);
}

std::string type_a_record(const TestDem& dem) {
    std::string record(RECORD, ' ');
    std::string name = dem.name.substr(0, 30);
    name.resize(30, ' ');
    put_at(record, 0, name);
    put_at(record, 144, format_i6(dem.level_code));
    put_at(record, 150, format_i6(dem.elevation_pattern));
    put_at(record, 156, format_i6(dem.reference_system));
    put_at(record, 162, format_i6(dem.reference_zone));
    for (int i = 0; i < 15; ++i) {
        put_at(record, 168 + 24 * static_cast<std::size_t>(i), format_d24(0.0));
    }
    put_at(record, 528, format_i6(dem.planimetric_units));
    put_at(record, 534, format_i6(dem.elevation_units));
    put_at(record, 540, format_i6(dem.polygon_sides));
    std::size_t offset = 546;
    for (const auto& corner : dem.corners) {
        for (double coordinate : corner) {
            put_at(record, offset, format_d24(coordinate));
            offset += 24;
        }
    }
    put_at(record, 738, format_d24(dem.min_elevation));
    put_at(record, 762, format_d24(dem.max_elevation));
    put_at(record, 786, format_d24(dem.rotation));
    put_at(record, 810, format_i6(dem.accuracy_code));
    put_at(record, 816, format_e12(dem.x_resolution));
    put_at(record, 828, format_e12(dem.y_resolution));
    put_at(record, 840, format_e12(dem.z_resolution));
    put_at(record, 852, format_i6(dem.profile_rows));
    const int columns =
        dem.profile_columns >= 0 ? dem.profile_columns : static_cast<int>(dem.profiles.size());
    put_at(record, 858, format_i6(columns));
    return record;
}

std::string type_b_records(const TestProfile& profile) {
    const int count = profile.count_override >= 0 ? profile.count_override
                                                  : static_cast<int>(profile.elevations.size());
    std::string text = format_i6(profile.row_id) + format_i6(profile.column_id) + format_i6(count) +
                       format_i6(profile.elevation_columns) + format_d24(profile.x_start) +
                       format_d24(profile.y_start) + format_d24(profile.datum_elevation) +
                       format_d24(profile.min_elevation) + format_d24(profile.max_elevation);
    // As the standard lays them out: 146 elevations in the first record,
    // 170 in each further one, never split across a record boundary.
    std::size_t in_record = 146;
    std::size_t used = 0;
    for (int elevation : profile.elevations) {
        if (used == in_record) {
            text.resize(((text.size() + RECORD - 1) / RECORD) * RECORD, ' ');
            in_record = 170;
            used = 0;
        }
        text += format_i6(elevation);
        ++used;
    }
    text.resize(((text.size() + RECORD - 1) / RECORD) * RECORD, ' ');
    return text;
}

std::string build_dem(const TestDem& dem, RecordLayout layout, const std::string& line_end) {
    std::string out = lay_out({type_a_record(dem)}, layout, line_end, 864);
    for (const TestProfile& profile : dem.profiles) {
        out += lay_out(split_records(type_b_records(profile)), layout, line_end, 1);
    }
    return out;
}

TestProfile make_profile(double x, double y, std::vector<int> elevations, int column_id) {
    TestProfile profile;
    profile.column_id = column_id;
    profile.x_start = x;
    profile.y_start = y;
    profile.elevations = std::move(elevations);
    return profile;
}

} // namespace testing_support
