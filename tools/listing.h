// The listings of pelund: a header line of column names and one line per
// row in the text format of PostgreSQL's COPY (tab-separated; backslash,
// tab, newline and carriage return escaped; \N for a missing value), or
// with --json an array of objects keyed by column name.
#ifndef PELUND_TOOLS_LISTING_H
#define PELUND_TOOLS_LISTING_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using Cell = std::optional<std::string>;  // no value: \N, or null in JSON

struct Listing {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;
};

// Prints LISTING on stdout in the text format or as JSON.
void print(const Listing& listing, bool json);

}  // namespace cli

#endif
