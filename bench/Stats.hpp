#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

// "mean_ms=… p50_ms=… p99_ms=…" of frame times in milliseconds; percentiles by nearest rank.
inline std::string summarise(std::vector<double> ms)
{
    if (ms.empty()) return "mean_ms=0 p50_ms=0 p99_ms=0";
    std::sort(ms.begin(), ms.end());
    auto rank = [&](double p) { return ms[std::size_t(std::max(1.0, std::ceil(p * ms.size()))) - 1]; };
    double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    char line[128];
    std::snprintf(line, sizeof line, "mean_ms=%.3f p50_ms=%.3f p99_ms=%.3f", mean, rank(0.5), rank(0.99));
    return line;
}

inline double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}
