#include "bench/e2e_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace e2ebench {

double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const auto rank =
      static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

double Median(const std::vector<double>& samples) { return Percentile(samples, 0.5); }

Spread SpreadOf(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  return {static_cast<int>(samples.size()), samples.front(), Percentile(samples, 0.5),
          Percentile(samples, 0.9), samples.back()};
}

Table::Table(std::vector<std::string> headings) { rows_.push_back(std::move(headings)); }

void Table::Row(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }

void Table::Print() const {
  std::vector<std::size_t> widths;
  for (const auto& row : rows_) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : rows_) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const std::string pad(widths[i] - row[i].size(), ' ');
      line += i == 0 ? row[i] + pad : "  " + pad + row[i];
    }
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::vector<std::string> SpreadCells(const Spread& spread, int decimals) {
  return {Fixed(spread.min, decimals), Fixed(spread.median, decimals), Fixed(spread.p90, decimals),
          Fixed(spread.max, decimals)};
}

}  // namespace e2ebench
