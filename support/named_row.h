#pragma once
// Rows of table-driven tests that carry their name: GoogleTest prints such a row as
// its name, and RowName names the row's test after it.

#include <ostream>
#include <string>

namespace support {

struct NamedRow {
    const char* name;
    friend std::ostream& operator<<(std::ostream& out, const NamedRow& row) { return out << row.name; }
};

// The name generator of INSTANTIATE_TEST_SUITE_P for rows derived from NamedRow.
inline constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

} // namespace support
