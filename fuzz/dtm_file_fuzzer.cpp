// DTM files on arbitrary bytes: the header checks, the cell reader, dtminfo's
// description (text and JSON), statistics and picture, and the PNG writer;
// with the GDAL driver built, the driver too, which must open exactly the
// files the checks accept and give the decoder's cells, north up.
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "dtm_info/cell_statistics.hpp"
#include "dtm_info/dtm_description.hpp"
#include "dtm_info/json_description.hpp"
#include "dtm_info/png_file.hpp"
#include "dtm_info/terrain_picture.hpp"
#include "dtmfile/dtm_reader.hpp"
#include "dtmfile_io/dtm_file_reader.hpp"
#include "fuzz/fuzz_file.hpp"

#ifdef TERRAIN_FUZZ_GDAL_DRIVER
#include "cpl_conv.h"
#include "cpl_vsi.h"
#include "gdal.h"
#include "gdal_driver/driver.hpp"
#endif

using namespace dtm;
using namespace dtminfo;

#ifdef TERRAIN_FUZZ_GDAL_DRIVER
// A copy of the file opened for update, its north-western cell written and
// the file closed: it must read back with that cell changed and the others
// as they were (`cells` north up, as read before), the size kept.
static void check_update(const char* path, const DtmHeader& header,
                         const std::vector<double>& cells) {
    const char* const copy = "/vsimem/dtm_file_fuzzer_update.dtm";
    const char* const only[] = {"VORDADTM", nullptr};
    if (CPLCopyFile(copy, path) != 0) {
        std::abort();
    }
    VSIStatBufL before;
    if (VSIStatL(copy, &before) != 0) {
        std::abort();
    }
    GDALDatasetH dataset =
        GDALOpenEx(copy, GDAL_OF_RASTER | GDAL_OF_UPDATE, only, nullptr, nullptr);
    if (dataset == nullptr) {
        std::abort();
    }
    double written = 1234.0;
    if (GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Write, 0, 0, 1, 1, &written, 1, 1,
                     GDT_Float64, 0, 0) != CE_None) {
        std::abort();
    }
    GDALClose(dataset);
    VSIStatBufL after;
    dataset = GDALOpenEx(copy, GDAL_OF_RASTER, only, nullptr, nullptr);
    if (VSIStatL(copy, &after) != 0 || after.st_size != before.st_size || dataset == nullptr) {
        std::abort();
    }
    std::vector<double> band(cells.size());
    if (GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, header.column_count,
                     header.row_count, band.data(), header.column_count, header.row_count,
                     GDT_Float64, 0, 0) != CE_None ||
        band[0] != 1234.0) {
        std::abort();
    }
    for (std::size_t i = 1; i < cells.size(); ++i) {
        if (band[i] != cells[i] && !(std::isnan(band[i]) && std::isnan(cells[i]))) {
            std::abort();
        }
    }
    GDALClose(dataset);
    VSIUnlink(copy);
    VSIUnlink((std::string(copy) + ".aux.xml").c_str());
}

// The input through the driver from /vsimem/; aborts on any disagreement.
static void check_driver(const std::uint8_t* data, std::size_t size, DtmReadStatus status,
                         const DtmHeader& header, const DtmFileFacts& facts) {
    static const bool registered = [] {
        GDALRegister_VORDADTM();
        CPLSetErrorHandler(CPLQuietErrorHandler);
        return true;
    }();
    (void)registered;
    const char* const path = "/vsimem/dtm_file_fuzzer.dtm";
    const char* const only[] = {"VORDADTM", nullptr};
    VSIFCloseL(VSIFileFromMemBuffer(path, const_cast<GByte*>(data), size, FALSE));
    GDALDatasetH dataset = GDALOpenEx(path, GDAL_OF_RASTER, only, nullptr, nullptr);
    const bool readable =
        (status == DtmReadStatus::ok || status == DtmReadStatus::too_long) && facts.cell_count > 0;
    if ((dataset != nullptr) != readable) {
        std::abort();
    }
    if (dataset != nullptr) {
        const auto count = static_cast<std::size_t>(facts.cell_count);
        const auto rows = static_cast<std::size_t>(header.row_count);
        std::vector<double> cells(count);
        std::vector<double> band(count);
        decode_cells(header.data_type, data + DTM_DATA_OFFSET, count, cells.data());
        if (GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, 0, header.column_count,
                         header.row_count, band.data(), header.column_count, header.row_count,
                         GDT_Float64, 0, 0) != CE_None) {
            std::abort();
        }
        for (std::size_t i = 0; i < count; ++i) {
            const double value = band[(rows - 1 - i % rows) * (count / rows) + i / rows];
            if (value != cells[i] && !(std::isnan(value) && std::isnan(cells[i]))) {
                std::abort();
            }
        }
        GDALClose(dataset);
        check_update(path, header, band);
    }
    VSIUnlink(path);
}
#endif

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
    check_driver(data, size, status, header, facts);
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
    PictureBuilder picture(header, convention.void_value, scale,
                           header.coord_system == 0 ? PlanimetricUnits::arc_seconds
                                                    : PlanimetricUnits::header);
    DtmCellReader reader(stream.get(), header);
    std::vector<double> cells(100);
    for (std::size_t count; (count = reader.read(cells)) > 0;) {
        const std::span<const double> block(cells.data(), count);
        statistics.add(block);
        picture.add(block);
    }
    (void)describe_cells(header, convention, statistics.result());
    // Any header bytes and numbers make an object (names that are not UTF-8
    // included).
    RunDescription run{path, true, header, facts, status, convention, statistics.result(), {}, {}};
    (void)json_description(run);
    if (facts.cell_count > 0) {
        (void)write_png_file(fuzzing::scratch_folder().file("picture.png"), picture.render());
    }
    return 0;
}
