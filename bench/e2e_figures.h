// Figures of the end-to-end benchmarks: the spread of a set of timings and
// the plain-text tables the benchmarks print.
#pragma once

#include <string>
#include <vector>

namespace e2ebench {

// Nearest-rank percentiles; all zero for no samples.
struct Spread {
  int count = 0;
  double min = 0, median = 0, p90 = 0, max = 0;
};
Spread SpreadOf(std::vector<double> samples);
double Percentile(std::vector<double> samples, double fraction);
double Median(const std::vector<double>& samples);

// Fixed-width columns: the first left-aligned, the rest right-aligned.
class Table {
 public:
  explicit Table(std::vector<std::string> headings);
  void Row(std::vector<std::string> cells);
  void Print() const;

 private:
  std::vector<std::vector<std::string>> rows_;
};

// `value` with `decimals` digits after the point.
std::string Fixed(double value, int decimals = 1);
// A spread in milliseconds as four cells: min, median, p90, max.
std::vector<std::string> SpreadCells(const Spread& spread, int decimals = 1);

}  // namespace e2ebench
