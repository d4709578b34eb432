// DTM files on arbitrary bytes: the header checks, the cell reader, dtminfo's
// description, statistics and picture, and the PNG writer; with the GDAL
// driver built, the driver too, which must open exactly the files the
// checks accept and give the same cells, north up.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "fuzz/fuzz_file.hpp"

#ifdef TERRAIN_FUZZ_GDAL_DRIVER
#include "cpl_vsi.h"
#include "gdal.h"
#include "gdal_driver/driver.hpp"
#endif

using namespace dtm;
using namespace dtminfo;

namespace {

#ifdef TERRAIN_FUZZ_GDAL_DRIVER
// The input opened by the driver through /vsimem/: null exactly when the
// library's checks refuse it (or it has no cells).
class DriverView {
  public:
    DriverView(const std::uint8_t* data, std::size_t size) {
        static const bool registered = [] {
            GDALRegister_VORDADTM();
            CPLSetErrorHandler(CPLQuietErrorHandler);
            return true;
        }();
        (void)registered;
        VSIFCloseL(VSIFileFromMemBuffer(PATH, const_cast<GByte*>(data), size, FALSE));
        const char* const only[] = {"VORDADTM", nullptr};
        dataset_ = GDALOpenEx(PATH, GDAL_OF_RASTER, only, nullptr, nullptr);
    }
    ~DriverView() {
        if (dataset_ != nullptr) {
            GDALClose(dataset_);
        }
        VSIUnlink(PATH);
    }
    DriverView(const DriverView&) = delete;
    DriverView& operator=(const DriverView&) = delete;

    bool opened() const { return dataset_ != nullptr; }

    // Aborts unless the band holds `cells` (file order) with each column
    // turned north up.
    void check_cells(const DtmHeader& header, const std::vector<double>& cells) const {
        const int columns = header.column_count;
        const int rows = header.row_count;
        std::vector<double> band(cells.size());
        if (GDALRasterIO(GDALGetRasterBand(dataset_, 1), GF_Read, 0, 0, columns, rows, band.data(),
                         columns, rows, GDT_Float64, 0, 0) != CE_None) {
            std::abort();
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::size_t column = i / static_cast<std::size_t>(rows);
            const std::size_t line = static_cast<std::size_t>(rows) - 1 - i % rows;
            const double value = band[line * static_cast<std::size_t>(columns) + column];
            if (value != cells[i] && !(std::isnan(value) && std::isnan(cells[i]))) {
                std::abort();
            }
        }
    }

  private:
    static constexpr char PATH[] = "/vsimem/dtm_file_fuzzer.dtm";
    GDALDatasetH dataset_ = nullptr;
};
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::scratch_folder().file("input.dtm");
    fuzzing::write_input(path, data, size);
    platform::UniqueFile stream = platform::open_read_stream(path, "rb");
    if (!stream) {
        return 0;
    }
    DtmHeader header;
    DtmFileFacts facts;
    const DtmReadStatus status = read_dtm_header(stream.get(), header, facts);
    (void)dtm_read_message(status, header, facts, path);
#ifdef TERRAIN_FUZZ_GDAL_DRIVER
    const DriverView driver(data, size);
    const bool readable =
        (status == DtmReadStatus::ok || status == DtmReadStatus::too_long) && facts.cell_count > 0;
    if (driver.opened() != readable) {
        std::abort();
    }
    std::vector<double> all_cells;
#endif
    if (status == DtmReadStatus::cannot_read || status == DtmReadStatus::bad_signature ||
        status == DtmReadStatus::short_header) {
        return 0;
    }
    // The void value comes from the version, or from the last byte as /V
    // would give it.
    const std::optional<double> void_option =
        size % 2 == 0 ? std::nullopt
                      : std::optional<double>(static_cast<std::int8_t>(data[size - 1]));
    const DtmConvention convention = dtm_convention(header, void_option);
    (void)describe_header(path, header, facts, convention, status);
    if (status != DtmReadStatus::ok) {
        return 0;
    }
    CellStatisticsBuilder statistics(convention.void_value);
    // Pictures of at most 64 pixels a side keep the runs short.
    const PictureScale scale = picture_scale(header.column_count, header.row_count, 64);
    PictureBuilder picture(header, convention.void_value, scale, header.coord_system == 0);
    DtmCellReader reader(stream.get(), header);
    std::vector<double> cells(100);
    for (std::size_t count; (count = reader.read(cells)) > 0;) {
        const std::span<const double> block(cells.data(), count);
        statistics.add(block);
        picture.add(block);
#ifdef TERRAIN_FUZZ_GDAL_DRIVER
        all_cells.insert(all_cells.end(), block.begin(), block.end());
#endif
    }
#ifdef TERRAIN_FUZZ_GDAL_DRIVER
    if (facts.cell_count > 0) {
        driver.check_cells(header, all_cells);
    }
#endif
    (void)describe_cells(header, convention, statistics.result());
    if (facts.cell_count > 0) {
        (void)write_png_file(fuzzing::scratch_folder().file("picture.png"), picture.render());
    }
    return 0;
}
