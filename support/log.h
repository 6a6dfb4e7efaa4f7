#pragma once
// The one reader of the text logs that the peers, the test host, the probe and the
// launcher write: a line is words separated by white space.

#include <string>
#include <vector>

namespace support {

using LogLine = std::vector<std::string>;

// Every non-empty line of the file, split into words; nothing when it does not exist yet.
std::vector<LogLine> ReadLog(const std::wstring& path);

} // namespace support
