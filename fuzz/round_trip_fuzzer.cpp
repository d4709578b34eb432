// Whole conversions checked for their results: each input is converted into
// a DTM file in memory, the file is read back with the library's reader,
// and its header and every cell are compared with what the input defines,
// worked out by a plain reading of its own (the C library's formatted input
// and fixed byte offsets) instead of the converters' readers and fast paths.
// Inputs that begin with DSAA, DSBB or DSRB are Surfer grids, tried in every
// layout as briskel's fuzz target tries them; the others are USGS DEMs. A
// difference is printed and ends the run.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dem_import/conversion.hpp"
#include "dem_import/dem_extent.hpp"
#include "dem_import/dem_profile.hpp"
#include "dem_import/run_settings.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile/dtm_writer.hpp"
#include "dtmfile/units.hpp"
#include "fuzz/fuzz_file.hpp"
#include "grid_import/conversion.hpp"
#include "grid_import/dtm_output.hpp"
#include "grid_import/grid_data.hpp"
#include "grid_import/grid_run_settings.hpp"
#include "grid_import/surfer_layout.hpp"
#include "tests/support/scanf_reference.hpp"
#include "tests/support/test_files.hpp"
#include "textscan/text_format.hpp"
#include "textscan/text_reader.hpp"

static_assert(std::endian::native == std::endian::little,
              "the binary grids are decoded by copying their bytes");

namespace {

using testing_support::scanf_double;
using testing_support::scanf_integer;
using testing_support::scanf_space;
using textscan::format_text;

// As for the other DEM target: a tiny DEM can describe millions of voids,
// so the DTM is cut off (as by a full disk) past a million cells.
constexpr std::size_t DTM_BYTES_LIMIT = dtm::DTM_DATA_OFFSET + (std::size_t{2} << 20);

[[noreturn]] void differ(const std::string& what) {
    std::fprintf(stderr, "round trip: %s\n", what.c_str());
    __builtin_trap();
}

bool same(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string show(double x) {
    return format_text("%.17g (%016llx)", x,
                       static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(x)));
}

template <typename Value>
Value load(const std::string& bytes, std::size_t offset) {
    Value value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

// The bytes as a stream for the C library; nothing for no bytes.
File memory_stream(std::string& bytes) {
    return File(bytes.empty() ? nullptr : ::fmemopen(bytes.data(), bytes.size(), "r"));
}

// The DTM file in `bytes` must be complete, hold exactly `expected`'s
// header and as many cells as its counts call for; returns the cells.
std::vector<double> read_back(const std::string& bytes, const dtm::DtmHeader& expected,
                              const std::string& what) {
    dtm::DtmHeader got;
    dtm::DtmFileFacts facts;
    const auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const dtm::DtmReadStatus status = dtm::check_dtm_header(span, bytes.size(), got, facts);
    if (status != dtm::DtmReadStatus::ok) {
        differ(what + ": " + dtm::dtm_read_message(status, got, facts, "the file in memory"));
    }
    const std::pair<const char*, std::pair<double, double>> reals[] = {
        {"x_origin", {got.x_origin, expected.x_origin}},
        {"y_origin", {got.y_origin, expected.y_origin}},
        {"z_min", {got.z_min, expected.z_min}},
        {"z_max", {got.z_max, expected.z_max}},
        {"rotation", {got.rotation, expected.rotation}},
        {"x_spacing", {got.x_spacing, expected.x_spacing}},
        {"y_spacing", {got.y_spacing, expected.y_spacing}},
        {"version", {got.version, expected.version}}};
    for (const auto& [name, values] : reals) {
        if (!same(values.first, values.second)) {
            differ(format_text("%s: header %s is %s, expected %s", what.c_str(), name,
                               show(values.first).c_str(), show(values.second).c_str()));
        }
    }
    if (got.signature != expected.signature || got.description != expected.description ||
        got.column_count != expected.column_count || got.row_count != expected.row_count ||
        got.xy_units != expected.xy_units || got.z_units != expected.z_units ||
        got.data_type != expected.data_type || got.coord_system != expected.coord_system ||
        got.coord_zone != expected.coord_zone) {
        differ(format_text("%s: header fields differ (%d x %d type %d, expected %d x %d type %d)",
                           what.c_str(), got.column_count, got.row_count, got.data_type,
                           expected.column_count, expected.row_count, expected.data_type));
    }
    const auto cells = static_cast<std::uint64_t>(expected.column_count) *
                       static_cast<std::uint64_t>(expected.row_count);
    if (facts.cell_count != cells) {
        differ(what + ": wrong cell count");
    }
    std::vector<double> values(static_cast<std::size_t>(cells));
    if (cells > 0) {
        dtm::decode_cells(got.data_type,
                          reinterpret_cast<const std::uint8_t*>(bytes.data()) +
                              dtm::DTM_DATA_OFFSET,
                          values.size(), values.data());
    }
    return values;
}

void compare_cells(const std::vector<double>& got, const std::vector<double>& expected,
                   std::int32_t rows, const std::string& what) {
    if (got.size() != expected.size()) {
        differ(what + ": wrong number of cells");
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!same(got[i], expected[i])) {
            const auto r = static_cast<std::size_t>(rows);
            differ(format_text("%s: cell at column %zu, row %zu is %s, expected %s", what.c_str(),
                               i / r, i % r, show(got[i]).c_str(), show(expected[i]).c_str()));
        }
    }
}

// ---- Surfer grids ----

// A grid as its bytes define it: the header values when a reader of the
// layout can take them, and the nodes (row-major, from y_min) when the file
// holds them all.
struct SourceGrid {
    bool header_read = false;
    briskel::GrdInfo info;
    bool nodes_read = false;
    std::vector<double> nodes;
};

double spacing(double low, double high, std::int32_t count) {
    return (high - low) / (count - 1.0);
}

// Surfer 6 ASCII: "%*s %d %d %lf %lf %lf %lf %lf %lf " and then one "%lf "
// for each node.
SourceGrid surfer6_ascii_source(std::string bytes) {
    SourceGrid grid;
    briskel::GrdInfo& info = grid.info;
    File in = memory_stream(bytes);
    std::FILE* const f = in.get();
    int word_end = -1;
    if (f == nullptr || std::fscanf(f, "%*s%n", &word_end) == EOF || word_end < 0) {
        return grid;
    }
    scanf_space(f);
    double limits[6];
    if (scanf_integer(f, 0, info.columns) != 1) {
        return grid;
    }
    scanf_space(f);
    if (scanf_integer(f, 0, info.rows) != 1) {
        return grid;
    }
    scanf_space(f);
    for (double& limit : limits) {
        if (scanf_double(f, limit) != 1) {
            return grid;
        }
        scanf_space(f);
    }
    if (info.columns < 0 || info.rows < 0) {
        return grid;
    }
    info.x_min = limits[0];
    info.x_spacing = spacing(limits[0], limits[1], info.columns);
    info.y_min = limits[2];
    info.y_spacing = spacing(limits[2], limits[3], info.rows);
    info.z_min = limits[4];
    info.z_max = limits[5];
    info.blank_value = 1.70141e38;
    grid.header_read = true;
    const auto total =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    for (std::uint64_t i = 0; i < total; ++i) {
        double node = 0;
        if (scanf_double(f, node) != 1) {
            return grid;
        }
        scanf_space(f);
        grid.nodes.push_back(node);
    }
    grid.nodes_read = true;
    return grid;
}

// Surfer 6 binary: int16 columns and rows at byte 4, six float64 limits,
// float32 nodes from byte 56.
SourceGrid surfer6_binary_source(const std::string& bytes) {
    SourceGrid grid;
    briskel::GrdInfo& info = grid.info;
    if (bytes.size() < 56) {
        return grid;
    }
    info.columns = load<std::int16_t>(bytes, 4);
    info.rows = load<std::int16_t>(bytes, 6);
    if (info.columns < 0 || info.rows < 0) {
        return grid;
    }
    info.x_min = load<double>(bytes, 8);
    info.x_spacing = spacing(info.x_min, load<double>(bytes, 16), info.columns);
    info.y_min = load<double>(bytes, 24);
    info.y_spacing = spacing(info.y_min, load<double>(bytes, 32), info.rows);
    info.z_min = load<double>(bytes, 40);
    info.z_max = load<double>(bytes, 48);
    info.blank_value = static_cast<double>(1.70141e38f);
    grid.header_read = true;
    const auto total = static_cast<std::size_t>(info.rows) * static_cast<std::size_t>(info.columns);
    if (total > (bytes.size() - 56) / 4) {
        return grid;
    }
    for (std::size_t i = 0; i < total; ++i) {
        grid.nodes.push_back(static_cast<double>(load<float>(bytes, 56 + 4 * i)));
    }
    grid.nodes_read = true;
    return grid;
}

// The body of the first section tagged `tag` from `offset` on, the others
// passed by their sizes; nothing at the end of the bytes or at a negative
// size.
struct Section {
    std::uint64_t body = 0;
    std::int32_t size = 0;
};

std::optional<Section> find_tag(const std::string& bytes, std::uint64_t offset, const char* tag) {
    while (offset + 8 <= bytes.size()) {
        const auto size = load<std::int32_t>(bytes, static_cast<std::size_t>(offset) + 4);
        if (std::memcmp(bytes.data() + offset, tag, 4) == 0) {
            return Section{offset + 8, size};
        }
        if (size < 0) {
            return std::nullopt;
        }
        offset += 8 + static_cast<std::uint64_t>(size);
    }
    return std::nullopt;
}

// Surfer 7: the GRID section's 72 bytes of values (two int32 counts, eight
// float64), then float64 nodes in the body of the next DATA section, looked
// for from the end of the GRID section (at least its 72 bytes).
SourceGrid surfer7_source(const std::string& bytes) {
    SourceGrid grid;
    briskel::GrdInfo& info = grid.info;
    const auto header = find_tag(bytes, 0, "GRID");
    if (!header || header->body + 72 > bytes.size()) {
        return grid;
    }
    const auto body = static_cast<std::size_t>(header->body);
    info.rows = load<std::int32_t>(bytes, body);
    info.columns = load<std::int32_t>(bytes, body + 4);
    if (info.rows < 0 || info.columns < 0) {
        return grid;
    }
    double* const values[] = {&info.x_min, &info.y_min, &info.x_spacing, &info.y_spacing,
                              &info.z_min, &info.z_max, &info.rotation,  &info.blank_value};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        *values[i] = load<double>(bytes, body + 8 + 8 * i);
    }
    grid.header_read = true;
    const auto data = find_tag(
        bytes, header->body + static_cast<std::uint64_t>(std::max(header->size, 72)), "DATA");
    const auto total =
        static_cast<std::uint64_t>(info.rows) * static_cast<std::uint64_t>(info.columns);
    if (!data || total > (bytes.size() - data->body) / 8) {
        return grid;
    }
    for (std::uint64_t i = 0; i < total; ++i) {
        grid.nodes.push_back(load<double>(bytes, static_cast<std::size_t>(data->body + 8 * i)));
    }
    grid.nodes_read = true;
    return grid;
}

SourceGrid source_grid(const briskel::SurferLayout& layout, const std::string& bytes) {
    if (&layout == &briskel::SURFER6_ASCII) {
        return surfer6_ascii_source(bytes);
    }
    if (&layout == &briskel::SURFER6_BINARY) {
        return surfer6_binary_source(bytes);
    }
    return surfer7_source(bytes);
}

void compare_info(const briskel::GrdInfo& got, const briskel::GrdInfo& expected,
                  const std::string& what) {
    const std::pair<double, double> reals[] = {
        {got.x_min, expected.x_min},         {got.y_min, expected.y_min},
        {got.x_spacing, expected.x_spacing}, {got.y_spacing, expected.y_spacing},
        {got.z_min, expected.z_min},         {got.z_max, expected.z_max},
        {got.rotation, expected.rotation},   {got.blank_value, expected.blank_value}};
    bool equal = got.rows == expected.rows && got.columns == expected.columns;
    for (const auto& [a, b] : reals) {
        equal = equal && same(a, b);
    }
    if (!equal) {
        differ(format_text("%s: header read as %d x %d nodes from (%s, %s), expected %d x %d "
                           "from (%s, %s), or a limit, spacing or blank value differs",
                           what.c_str(), got.columns, got.rows, show(got.x_min).c_str(),
                           show(got.y_min).c_str(), expected.columns, expected.rows,
                           show(expected.x_min).c_str(), show(expected.y_min).c_str()));
    }
}

void check_grid(const std::string& bytes, const std::string& path) {
    using namespace briskel;
    GrdRunSettings settings;
    settings.src_z_units = bytes.size() % 2 == 0 ? dtm::Unit::meters : dtm::Unit::feet;
    set_unit_factors(settings);
    for (const SurferLayout* layout : surfer_layouts()) {
        const std::string what = layout->name;
        const SourceGrid source = source_grid(*layout, bytes);
        GridSource input;
        // Half the inputs read a node text in two halves at once.
        input.split_from_bytes = bytes.size() % 4 < 2 ? 0 : UINT64_MAX;
        GrdInfo info;
        const bool opened = open_grid(*layout, path, input, info) == GridStatus::ok;
        if (opened != source.header_read) {
            differ(what + (opened ? ": header read, but the bytes do not hold one"
                                  : ": header not read, but the bytes hold one"));
        }
        if (!opened) {
            continue;
        }
        compare_info(info, source.info, what);
        GrdGrid grid;
        const NodeToCell to_cell{info.blank_value, settings.z_factor};
        const bool loaded = source_holds_grid(*layout, info, input) && allocate_grid(info, grid) &&
                            layout->read_nodes(input, grid, to_cell) == GridStatus::ok;
        if (loaded != source.nodes_read) {
            differ(what + (loaded ? ": nodes read, but the bytes do not hold them all"
                                  : ": nodes not read, but the bytes hold them all"));
        }
        if (!loaded) {
            continue;
        }
        // Each node becomes its cell as it is read: blank nodes (at or above
        // the blank value) void, the others scaled and rounded to float32.
        const auto cell_of = [&](double node) {
            return node >= source.info.blank_value ? -32767.0f
                                                   : dtm::to_float32(node * settings.z_factor);
        };
        for (std::size_t i = 0; i < source.nodes.size(); ++i) {
            if (!same(grid.node_cell(i), cell_of(source.nodes[i]))) {
                differ(format_text("%s: node %zu (%s) held as %s, not %s", what.c_str(), i,
                                   show(source.nodes[i]).c_str(), show(grid.node_cell(i)).c_str(),
                                   show(cell_of(source.nodes[i])).c_str()));
            }
        }
    }
    // The whole conversion of the layout the bytes begin with, through
    // briskel's own sequence into memory.
    const SurferLayout* const layout = detect_layout(path);
    GrdRunSettings run = settings;
    run.source_path = path;
    run.dest_path = fuzzing::scratch_folder().file("g.dtm");
    run.split_from_bytes = bytes.size() % 4 < 2 ? 0 : UINT64_MAX;
    testing_support::StringSink sink;
    testing_support::MemoryReporter console;
    const GridStatus status = convert_grid(run, {sink, console});
    if (layout == nullptr) {
        return;
    }
    const SourceGrid source = source_grid(*layout, bytes);
    const std::string what = std::string(layout->name) + " converted";
    const GridStatus expected_status = !source.header_read  ? GridStatus::cannot_read_header
                                       : !source.nodes_read ? GridStatus::cannot_read_data
                                                            : GridStatus::ok;
    // Memory or disk space, not the bytes, may be what a huge grid lacks.
    if (status != expected_status && status != GridStatus::no_memory &&
        status != GridStatus::no_disk_space) {
        differ(format_text("%s with status %d, the bytes give %d", what.c_str(),
                           static_cast<int>(status), static_cast<int>(expected_status)));
    }
    if (status != GridStatus::ok) {
        return;
    }
    const auto cell_of = [&](double node) {
        return node >= source.info.blank_value ? -32767.0f : dtm::to_float32(node * run.z_factor);
    };
    // Column by column from the south.
    const auto rows = static_cast<std::size_t>(source.info.rows);
    const auto columns = static_cast<std::size_t>(source.info.columns);
    std::vector<double> expected;
    expected.reserve(source.nodes.size());
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t r = 0; r < rows; ++r) {
            expected.push_back(static_cast<double>(cell_of(source.nodes[r * columns + c])));
        }
    }
    compare_cells(read_back(sink.bytes(), fill_dtm_header(source.info, run), what), expected,
                  source.info.rows, what);
}

// ---- USGS DEMs ----

// The DEM read a second time with the C library: "%6d" for the I6 fields,
// 24 bytes cut at a NUL with D turned into E and then "%lf" for the D24.15
// ones, "%d" for each elevation.
class DemReread {
  public:
    explicit DemReread(const std::string& bytes) : bytes_(bytes), stream_(memory_stream(bytes_)) {}

    bool integer(int width, std::int32_t& value) {
        // Seeking empties the stream's buffer; numbers in a row need none.
        if (!stream_ || (std::ftell(stream_.get()) != position_ &&
                         std::fseek(stream_.get(), position_, SEEK_SET) != 0)) {
            return false;
        }
        const bool read = scanf_integer(stream_.get(), width, value) == 1;
        position_ = std::ftell(stream_.get());
        return read;
    }

    bool real(double& value) {
        if (position_ + 24 > static_cast<long>(bytes_.size())) {
            return false;
        }
        std::string field = bytes_.substr(static_cast<std::size_t>(position_), 24);
        position_ += 24;
        field.resize(std::strlen(field.c_str()));
        std::replace(field.begin(), field.end(), 'D', 'E');
        const File in = memory_stream(field);
        return in && scanf_double(in.get(), value) == 1;
    }

    void seek(long position) { position_ = position; }

    // On to the next 1024-byte record, as taverlin aligns on them.
    bool next_record() {
        textscan::TextReader in(bytes_.data(), bytes_.size());
        const bool at_record = in.seek(position_) && taverlin::skip_to_next_record(in) ==
                                                         taverlin::RecordStatus::at_record;
        position_ = static_cast<long>(in.tell());
        return at_record;
    }

  private:
    std::string bytes_;
    File stream_;
    long position_ = 0;
};

struct DemCells {
    taverlin::DemResult result;
    std::vector<double> cells; // file order
};

// The cells the profiles define: profile p is column p - 1, from the south
// (y_start - y_min) / y_resolution truncated to 32 bits voids (none for less
// than 0, at most the rows), the elevations cut at the rows, voids up to the
// rows. The truncation is the cells' own: beyond 32 bits or not a number it
// gives -2^31, so no voids. That happens to a profile past the count in the
// Type A record (the extent scan stops at that count, the grid may have more
// columns) that lies far north of the others: it starts at row 0. An
// elevation is raw x z_resolution + datum; below 0 a void, else that times
// the elevation factor as an int16 cell stores it. Voids are -1.
DemCells dem_cells(const std::string& bytes, const taverlin::DemHeader& dem,
                   const taverlin::DemExtent& extent, double elevation_factor) {
    using taverlin::DemStatus;
    DemCells out;
    DemReread in(bytes);
    std::int32_t profile_rows = 0;
    std::int32_t profile_columns = 0;
    in.seek(852);
    if (!in.integer(6, profile_rows) || !in.integer(6, profile_columns) ||
        profile_rows != dem.profile_rows || profile_columns != dem.profile_columns ||
        !in.next_record()) {
        out.result = {DemStatus::cannot_read_source};
        return out;
    }
    const auto rows = static_cast<std::size_t>(extent.row_count);
    out.cells.assign(static_cast<std::size_t>(extent.column_count) * rows, -1.0);
    for (std::int32_t p = 1; p <= extent.column_count; ++p) {
        std::int32_t counts[4];
        double reals[5];
        bool read = true;
        for (std::int32_t& count : counts) {
            read = read && in.integer(6, count);
        }
        for (double& real : reals) {
            read = read && in.real(real);
        }
        const std::int32_t elevation_count = counts[2];
        if (!read || elevation_count < 0) {
            out.result = {DemStatus::cannot_read_profile, p};
            return out;
        }
        const double y_start = reals[1];
        const double datum = reals[2];
        auto row = static_cast<std::size_t>(
            std::clamp(dtm::truncate_to_int32((y_start - extent.y_min) /
                                              static_cast<double>(dem.y_resolution)),
                       0, extent.row_count));
        double* const column = out.cells.data() + static_cast<std::size_t>(p - 1) * rows;
        for (std::int32_t k = 0; k < elevation_count; ++k) {
            std::int32_t raw = 0;
            if (!in.integer(0, raw)) {
                out.result = {DemStatus::cannot_read_profile, p};
                return out;
            }
            const double v = raw * static_cast<double>(dem.z_resolution) + datum;
            if (row < rows) {
                column[row++] =
                    v < 0 ? -1.0 : dtm::cell_value(dtm::DTM_INT16, elevation_factor * v);
            }
        }
        (void)in.next_record();
    }
    return out;
}

void check_dem(const std::string& bytes, const std::string& path) {
    using namespace taverlin;
    const std::string what = "DEM";
    DemRunSettings settings;
    settings.source_path = path;
    settings.dest_path = fuzzing::scratch_folder().file("x.dtm");
    settings.report_path = fuzzing::scratch_folder().file("x.HDR");
    settings.suppress_progress = true;
    if (bytes.size() % 2 == 0) {
        settings.output_z_unit = dtm::Unit::feet; // a factor other than 1 for meters
    }
    // Some inputs are scanned in two halves at once, as large files are.
    settings.split_from_bytes = bytes.size() % 8 < 4 ? 0 : UINT64_MAX;
    // Half the inputs answer the /V question with feet, the fallback of the
    // others: a DEM without a valid elevation code has its profiles read
    // again after the scan.
    settings.prompt_for_units = bytes.size() % 4 < 2;
    testing_support::StringSink sink(DTM_BYTES_LIMIT);
    testing_support::StringSink report;
    testing_support::MemoryReporter console("ff");
    if (!convert_dem(settings, {sink, report, console}).ok()) {
        if (sink.committed()) {
            differ(what + ": a failed conversion kept its DTM");
        }
        return;
    }
    DemSource input;
    DemHeader dem;
    if (!open_dem(path, input, dem).ok()) {
        differ(what + ": converted, but its header cannot be read again");
    }
    // The grid as the DTM header gives it (X and Y are not scaled here).
    dtm::DtmHeader header;
    (void)sink.header(header);
    const DemExtent extent{header.x_origin,  header.y_origin,     header.rotation, header.x_spacing,
                           header.y_spacing, header.column_count, header.row_count};
    // A valid elevation code is the DEM's unit, an invalid one feet.
    const dtm::Unit source_unit =
        dtm::unit_from_dem_code(dem.elevation_units).value_or(dtm::Unit::feet);
    const DemCells source =
        dem_cells(bytes, dem, extent,
                  dtm::unit_factor(source_unit, settings.output_z_unit.value_or(source_unit)));
    if (!source.result.ok()) {
        differ(format_text("DEM: converted, but the bytes give status %d at profile %d",
                           static_cast<int>(source.result.status), source.result.profile));
    }
    // The elevation range is that of the cells of 1 and above.
    header.z_min = std::numeric_limits<double>::max();
    header.z_max = std::numeric_limits<double>::min();
    for (const double cell : source.cells) {
        if (cell >= 1.0) {
            header.z_min = std::min(header.z_min, cell);
            header.z_max = std::max(header.z_max, cell);
        }
    }
    compare_cells(read_back(sink.bytes(), header, what), source.cells, extent.row_count, what);
}

bool is_grid(const std::string& bytes) {
    return bytes.starts_with("DSAA") || bytes.starts_with("DSBB") || bytes.starts_with("DSRB");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::silence_standard_output();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzzing::scratch_folder().file("input");
    fuzzing::write_input(path, data, size);
    if (is_grid(bytes)) {
        check_grid(bytes, path);
    } else {
        check_dem(bytes, path);
    }
    return 0;
}
