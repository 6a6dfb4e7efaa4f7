#include "log.h"

#include <fstream>
#include <sstream>

namespace support {

std::vector<LogLine> ReadLog(const std::wstring& path)
{
    std::vector<LogLine> lines;
    std::ifstream file(path.c_str(), std::ios::binary);
    for (std::string text; std::getline(file, text);) {
        std::istringstream words(text);
        LogLine line;
        for (std::string word; words >> word;) {
            line.push_back(word);
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

} // namespace support
