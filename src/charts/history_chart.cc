// The history chart: one panel per quantity, stacked, each with its values
// against time, one line per place, and a legend of the places at its right.
#include <plplot/plplot.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "charts/charts.h"
#include "charts/plot_page.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kPanelHeight = 300;
constexpr int kTitleHeight = 60;
constexpr int kFootHeight = 20;
// A legend lists at most this many places; a last entry counts the others.
constexpr size_t kLegendEntries = 8;

struct Span {
  double low, high;
};

// The range of the finite values, widened a little; a single value gets room
// around it.
Span RangeOf(const std::vector<double>& values, double least_room) {
  double low = INFINITY, high = -INFINITY;
  for (double v : values) {
    if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
  }
  if (!(low <= high)) return {0, 1};
  if (!std::isfinite(high - low)) return {low, high};  // no room to spare
  const double room = high > low ? 0.05 * (high - low) : std::max(0.05 * std::abs(low), least_room);
  return {low - room, high + room};
}

std::vector<double> AllValues(const ChartPanel& panel) {
  std::vector<double> all;
  for (const ChartSeries& series : panel.series)
    all.insert(all.end(), series.values.begin(), series.values.end());
  return all;
}

// The line of one place: its runs of finite values (a lone value as a dot).
void DrawSeries(const std::vector<double>& times, const ChartSeries& series) {
  std::vector<PLFLT> x, y;
  auto draw_run = [&] {
    if (x.size() == 1) plpoin(1, x.data(), y.data(), 17);
    if (x.size() > 1) plline(static_cast<PLINT>(x.size()), x.data(), y.data());
    x.clear(), y.clear();
  };
  for (size_t k = 0; k < times.size() && k < series.values.size(); ++k) {
    if (!std::isfinite(series.values[k])) {
      draw_run();
      continue;
    }
    x.push_back(times[k]), y.push_back(series.values[k]);
  }
  draw_run();
}

void DrawLegend(const ChartPanel& panel) {
  const size_t shown = std::min(panel.series.size(), kLegendEntries);
  const bool more = panel.series.size() > shown;
  std::vector<std::string> texts;
  std::vector<PLINT> options, text_colours, line_colours, line_styles;
  std::vector<PLFLT> line_widths;
  for (size_t s = 0; s < shown + (more ? 1 : 0); ++s) {
    const bool counted = s == shown;
    texts.push_back(counted ? "and " + std::to_string(panel.series.size() - shown) + " more"
                            : panel.series[s].label);
    options.push_back(counted ? PL_LEGEND_NONE : PL_LEGEND_LINE);
    text_colours.push_back(kInk);
    line_colours.push_back(kFirstSeries + static_cast<PLINT>(s % kSeriesColours));
    line_styles.push_back(1);
    line_widths.push_back(2);
  }
  std::vector<const char*> text_pointers;
  for (const std::string& text : texts) text_pointers.push_back(text.c_str());
  PLFLT width = 0, height = 0;
  pllegend(&width, &height, PL_LEGEND_BACKGROUND | PL_LEGEND_BOUNDING_BOX,
           PL_POSITION_RIGHT | PL_POSITION_OUTSIDE, 0.02, 0, 0.06, kBackground, kInk, 1, 0, 0,
           static_cast<PLINT>(texts.size()), options.data(), 0.8, 0.6, 1.7, 0, text_colours.data(),
           text_pointers.data(), nullptr, nullptr, nullptr, nullptr, line_colours.data(),
           line_styles.data(), line_widths.data(), nullptr, nullptr, nullptr, nullptr);
}

// Panel `index` of `count`, below the title.
void DrawPanel(const HistoryChart& chart, size_t index, size_t count) {
  const ChartPanel& panel = chart.panels[index];
  const double page_height = kTitleHeight + kPanelHeight * static_cast<double>(count) + kFootHeight;
  const double top = 1 - (kTitleHeight + kPanelHeight * static_cast<double>(index)) / page_height;
  const double step = kPanelHeight / page_height;
  plvpor(0.13, 0.66, top - step + 0.2 * step, top - 0.12 * step);
  const Span time = RangeOf(chart.times, 0.5), value = RangeOf(AllValues(panel), 1e-9);
  plwind(time.low, time.high, value.low, value.high);
  plcol0(kGrid);
  plwidth(1);
  plbox("g", 0, 0, "g", 0, 0);
  plcol0(kInk);
  plbox("bcnst", 0, 0, "bcnstv", 0, 0);
  plmtex("b", 3.0, 0.5, 0.5, "time");
  plmtex("l", 7.5, 0.5, 0.5, panel.quantity.c_str());
  plwidth(2);
  for (size_t s = 0; s < panel.series.size(); ++s) {
    plcol0(kFirstSeries + static_cast<PLINT>(s % kSeriesColours));
    DrawSeries(chart.times, panel.series[s]);
  }
  plwidth(1);
  DrawLegend(panel);
}

}  // namespace

void DrawHistoryChart(const HistoryChart& chart, TextOutput& image) {
  const size_t count = std::max<size_t>(chart.panels.size(), 1);
  PlotPage page(image, kWidth, kTitleHeight + kPanelHeight * static_cast<int>(count) + kFootHeight,
                true);
  plschr(0, 0.7);
  plsxax(12, 0);  // whole numbers as labels, without a separate scale
  plsyax(12, 0);
  for (size_t index = 0; index < chart.panels.size(); ++index) {
    DrawPanel(chart, index, count);
    if (index == 0) {
      plcol0(kInk);
      plschr(0, 0.9);
      plmtex("t", 2.0, 0.5, 0.5, chart.title.c_str());
      plschr(0, 0.7);
    }
  }
  page.Finish();
}
