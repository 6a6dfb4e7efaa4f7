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

std::vector<LogEntry> ReadStampedLog(const std::wstring& path)
{
    std::vector<LogEntry> entries;
    for (const LogLine& words : ReadLog(path)) {
        if (words.size() >= 2) {
            entries.push_back({std::stoll(words[0]), words[1], {words.begin() + 2, words.end()}});
        }
    }
    return entries;
}

} // namespace support
