#include "listing.h"

#include "text/copy_text.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace cli {

namespace {

void printLine(const std::vector<Cell>& cells)
{
    std::string line;
    for (size_t k = 0; k < cells.size(); ++k) {
        if (k)
            line += '\t';
        line += cells[k] ? pelund::copyText(*cells[k]) : "\\N";
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace

void print(const Listing& listing, bool json)
{
    if (!json) {
        printLine(std::vector<Cell>(listing.columns.begin(), listing.columns.end()));
        for (const auto& row : listing.rows)
            printLine(row);
        return;
    }
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const auto& row : listing.rows) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (size_t k = 0; k < listing.columns.size() && k < row.size(); ++k)
            object[listing.columns[k]] = row[k] ? nlohmann::ordered_json(*row[k]) : nullptr;
        rows.push_back(std::move(object));
    }
    // JSON text is UTF-8: bytes that are not become U+FFFD (the text
    // format keeps them as they are).
    std::string text = rows.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

}  // namespace cli
