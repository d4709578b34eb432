#include "dtmfile/conventions.hpp"

#include <limits>

#include "dtmfile/dtm_header.hpp"

namespace dtm {

namespace {

constexpr WriterConvention TAVERLIN{Writer::taverlin, "TAVERLIN", 2.0f, DTM_INT16, -1.0, true};
constexpr WriterConvention BRISKEL{Writer::briskel, "BRISKEL", 3.0f, DTM_FLOAT32, -32767.0, false};

} // namespace

const WriterConvention& convention_of(Writer writer) {
    return writer == Writer::taverlin ? TAVERLIN : BRISKEL;
}

const WriterConvention* convention_for_version(float version) {
    for (const WriterConvention* convention : {&TAVERLIN, &BRISKEL}) {
        if (convention->version == version) {
            return convention;
        }
    }
    return nullptr;
}

double RecordedRange::minimum() const {
    if (count_ > 0) {
        return minimum_;
    }
    return convention_.writer == Writer::taverlin ? std::numeric_limits<double>::max()
                                                  : convention_.void_value;
}

double RecordedRange::maximum() const {
    if (count_ > 0) {
        return maximum_;
    }
    return convention_.writer == Writer::taverlin ? std::numeric_limits<double>::min()
                                                  : convention_.void_value;
}

} // namespace dtm
