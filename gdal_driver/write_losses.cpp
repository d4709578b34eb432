#include "gdal_driver/write_losses.hpp"

#include <limits>

#include "cpl_error.h"
#include "dtmfile/conventions.hpp"

namespace vordadtm {

namespace {

std::string valid_source_cells(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " valid source cell" : " valid source cells");
}

} // namespace

WriteLosses::WriteLosses(const dtm::DtmHeader& header)
    : data_type_(header.data_type),
      integer_(header.data_type == dtm::DTM_INT16 || header.data_type == dtm::DTM_INT32) {
    const dtm::WriterConvention* convention = dtm::convention_for_version(header.version);
    void_value_ =
        convention != nullptr ? convention->void_value : std::numeric_limits<double>::quiet_NaN();
}

void WriteLosses::add_description(const std::string& text) {
    if (text.size() > dtm::DTM_DESCRIPTION_LENGTH) {
        description_length_ = text.size();
    }
}

void WriteLosses::warn() const {
    const char* type = dtm::dtm_cell_type_name(data_type_);
    if (equal_to_void_ > 0) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "%s equal to the void value %g will read as void in the DTM file; give such cells "
                 "another value in the source to keep them.",
                 valid_source_cells(equal_to_void_).c_str(), void_value_);
    }
    if (converted_to_void_ > 0) {
        const char* conversion = data_type_ == dtm::DTM_INT16
                                     ? "truncating toward zero and wrapping at 16 bits"
                                 : integer_ ? "truncating toward zero"
                                            : "rounding to float32";
        CPLError(
            CE_Warning, CPLE_AppDefined,
            "%s will read as void in the DTM file because %s gives the void value %g of its %s "
            "cells; CELL_TYPE=FLOAT64 keeps such cells.",
            valid_source_cells(converted_to_void_).c_str(), conversion, void_value_, type);
    }
    if (out_of_range_ > 0) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "%s outside the %s range will hold other values in the DTM file (%s); "
                 "CELL_TYPE=FLOAT64 keeps such cells.",
                 valid_source_cells(out_of_range_).c_str(), type,
                 data_type_ == dtm::DTM_INT16 ? "wrapped at 16 bits" : "-2147483648");
    }
    if (description_length_ > 0) {
        CPLError(CE_Warning, CPLE_AppDefined,
                 "The description is %zu bytes long and the DTM file keeps its first %zu; give a "
                 "DESCRIPTION of at most %zu bytes to choose what it says.",
                 description_length_, dtm::DTM_DESCRIPTION_LENGTH, dtm::DTM_DESCRIPTION_LENGTH);
    }
}

} // namespace vordadtm
