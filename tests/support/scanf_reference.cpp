#include "tests/support/scanf_reference.hpp"

namespace testing_support {

int scanf_integer(std::FILE* stream, int width, std::int32_t& value) {
    char format[16] = "%d";
    if (width > 0) {
        std::snprintf(format, sizeof format, "%%%id", width);
    }
    int converted = 0;
    const int result = std::fscanf(stream, format, &converted);
    if (result == 1) {
        value = converted;
    }
    return result;
}

int scanf_double(std::FILE* stream, double& value) {
    return std::fscanf(stream, "%lf", &value);
}

int scanf_float(std::FILE* stream, float& value) {
    return std::fscanf(stream, "%f", &value);
}

void scanf_space(std::FILE* stream) {
    (void)std::fscanf(stream, " ");
}

} // namespace testing_support
