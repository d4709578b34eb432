// dtminfo: describes a DTM file in words, checks it, sums up its cells and
// draws a picture of the terrain.
#include <string>
#include <vector>

#include "console.hpp"
#include "info_command_line.hpp"
#include "platform.hpp"

int main(int argc, char** argv) {
    platform::prepare_console();
    InfoSettings settings;
    if (parse_command_line(std::vector<std::string>(argv + 1, argv + argc), settings) != 0) {
        print_usage();
        return 1;
    }
    print_info(format_text("\nDTM File Information Utility -- Version %.2lf\n\n", 1.0));
    return 0;
}
