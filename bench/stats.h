#pragma once
// Small statistics and the table rows that every measuring program prints; the
// bench script collects the rows into one table.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Nearest-rank percentile: the smallest value that at least p percent of the values
// do not exceed.
inline double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

struct LineFit {
    double slope;
    double intercept;
};

// Least-squares line through the points (x[i], y[i]).
inline LineFit FitLine(const std::vector<double>& x, const std::vector<double>& y)
{
    const auto n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return {slope, (sy - slope * sx) / n};
}

// One row of the summary table: which target, what was measured, the figure, and
// the figure the target asks for.
inline void Row(const std::string& target, const std::string& figure, const std::string& value, const std::string& goal)
{
    std::printf("row: %s|%s|%s|%s\n", target.c_str(), figure.c_str(), value.c_str(), goal.c_str());
    std::fflush(stdout);
}

inline std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace bench
