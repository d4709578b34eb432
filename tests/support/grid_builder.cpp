#include "tests/support/grid_builder.hpp"

#include <cstdio>

namespace testing_support {

namespace {

std::string text(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string grid_body(const TestGrid& g) {
    std::string body = le(g.rows) + le(g.columns) + le(g.x_min) + le(g.y_min);
    body += le((g.x_max - g.x_min) / (g.columns - 1)) + le((g.y_max - g.y_min) / (g.rows - 1));
    return body + le(g.z_min) + le(g.z_max) + le(g.rotation) + le(g.blank);
}

} // namespace

std::string section(const std::string& tag, const std::string& body,
                    std::optional<std::int32_t> size) {
    return tag.substr(0, 4) + le(size.value_or(static_cast<std::int32_t>(body.size()))) + body;
}

std::string dsrb(const TestGrid& g, const std::string& before_grid,
                 const std::string& before_data) {
    std::string nodes;
    for (double node : g.nodes) {
        nodes += le(node);
    }
    return section("DSRB", le(std::int32_t{1})) + before_grid + section("GRID", grid_body(g)) +
           before_data + section("DATA", nodes);
}

std::string dsbb(const TestGrid& g) {
    std::string out =
        "DSBB" + le(static_cast<std::int16_t>(g.columns)) + le(static_cast<std::int16_t>(g.rows));
    for (double v : {g.x_min, g.x_max, g.y_min, g.y_max, g.z_min, g.z_max}) {
        out += le(v);
    }
    for (double node : g.nodes) {
        out += le(static_cast<float>(node));
    }
    return out;
}

std::string dsaa_header(const TestGrid& g) {
    return "DSAA\n" + std::to_string(g.columns) + " " + std::to_string(g.rows) + "\n" +
           text(g.x_min) + " " + text(g.x_max) + "\n" + text(g.y_min) + " " + text(g.y_max) + "\n" +
           text(g.z_min) + " " + text(g.z_max) + "\n";
}

std::string dsaa(const TestGrid& g) {
    std::string out = dsaa_header(g);
    for (std::size_t i = 0; i < g.nodes.size(); ++i) {
        out += text(g.nodes[i]) + ((i + 1) % 10 == 0 ? "\n" : " ");
    }
    return out + "\n";
}

} // namespace testing_support
