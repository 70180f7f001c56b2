#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "graph/graph_input.h"
#include "platform/desktop.h"
#include "series/series_table.h"

namespace bl::graph {

// The program's data file with the graph part filled in: every series 1..seriesCount, the ten
// stored graphs and the current one (its graph type the table's).
std::string EncodeDataFile(const series::SeriesTable& table, const GraphView& view);

// Reads a whole data file into the table and the view, or nothing at all: false with a sentence
// in error, both untouched, when the file is damaged (see series::DecodeSeriesFile; a graph
// title without its NUL counts too). withMagic as there. The raw words are not processed yet.
bool ReadDataFile(std::string_view bytes, bool withMagic, series::SeriesTable& table,
                  GraphView& view, std::string& error);

// After a load: the current graph's type, when it is one, is switched to through
// switchGraphType (which processes every series and finds the limits); otherwise every series
// is processed and the limits found here.
void ProcessLoadedSeries(series::SeriesTable& table, GraphView& view,
                         const std::function<void(int graphType)>& switchGraphType);

// The four file commands of the "Graphing" menu, each with its own file dialog. Load and import
// return true when the series or the graph changed and the main window should follow. The
// text export and the plot import also offer CSV: a name ending in ".csv" writes
// series::ActiveSeriesCsv or reads series::ReadSeriesCsv (a refused file is reported).
void SaveSeriesFile(platform::Desktop& desktop, const series::SeriesTable& table,
                    const GraphView& view);
bool LoadSeriesFile(platform::Desktop& desktop, series::SeriesTable& table, GraphView& view,
                    const std::function<void(int graphType)>& switchGraphType);
void ExportSeriesText(platform::Desktop& desktop, const series::SeriesTable& table);
bool ImportPlotFile(platform::Desktop& desktop, series::SeriesTable& table, GraphView& view);

// The plot file's effects on the table and the graph settings, as ImportPlotFile applies them.
// True when series were imported (not just titles changed).
bool ApplyPlotFile(std::string_view text, series::SeriesTable& table, GraphSettings& settings);

}  // namespace bl::graph
