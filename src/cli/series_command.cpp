#include "cli/series_command.h"

#include <cctype>
#include <filesystem>
#include <string_view>

#include "cli/cli.h"
#include "graph/graph_input.h"
#include "graph/series_files.h"
#include "platform/files.h"
#include "series/series_csv.h"
#include "series/series_file.h"
#include "series/series_table.h"
#include "series/series_text.h"

namespace bl::cli {

namespace {

enum class Format { kData, kCsv, kText, kPlot };

Format FormatOf(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".csv") return Format::kCsv;
  if (extension == ".txt") return Format::kText;
  if (extension == ".ppl") return Format::kPlot;
  return Format::kData;
}

struct Converter {
  std::ostream& err;
  series::SeriesTable table;
  graph::GraphView view;

  explicit Converter(std::ostream& e) : err(e) {
    // Only what the input brings: every series empty and inactive to begin with.
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) table[k] = series::DataSeries();
  }

  int Refuse(const std::string& message) {
    err << "brightlantern-cli: " << message << '\n';
    return kExitFailed;
  }

  int Read(const std::string& path) {
    const Format format = FormatOf(path);
    if (format == Format::kText)
      return Refuse(path +
                    ": the text export is written, never read; convert from .bin, .csv or "
                    ".ppl");
    std::string bytes;
    bool tooLong = false;
    std::string error;
    const std::size_t limit =
        format == Format::kData ? series::kMaxSeriesFileBytes : series::kMaxCsvBytes;
    if (!platform::ReadFileBounded(path, limit, bytes, tooLong, error)) return Refuse(error);
    if (tooLong) return Refuse(path + ": larger than any series file; nothing was read");
    if (format == Format::kCsv) {
      if (!series::ReadSeriesCsv(bytes, table, error)) return Refuse(path + ": " + error);
    } else if (format == Format::kPlot) {
      const series::PlotFile plot = series::ParsePlotFile(bytes);
      if (!graph::ApplyPlotFile(bytes, table, view.settings))
        return Refuse(path + ": not a plot file with 1 to 4 series and their points");
      for (int k = 1; k <= plot.seriesCount; ++k) table[k].active = true;
    } else {
      if (!series::HasSeriesFileMagic(bytes))
        return Refuse(path + ": not a Brightlantern data file (its first bytes are not \"" +
                      series::kSeriesFileMagic + "\")");
      if (!graph::ReadDataFile(bytes, true, table, view, error)) return Refuse(path + ": " + error);
      const int type = view.settings.graphType;
      if (type >= 0 && type <= 3) table.graphType = type;
      graph::ProcessLoadedSeries(table, view, nullptr);
    }
    int active = 0;
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) active += table[k].active ? 1 : 0;
    err << "Read " << path << ": " << active << " active series\n";
    return kExitOk;
  }

  int Write(std::string path) {
    const Format format = FormatOf(path);
    std::string bytes;
    switch (format) {
      case Format::kPlot:
        return Refuse(path + ": plot files are read, never written; write .bin, .csv or .txt");
      case Format::kCsv:
        bytes = series::ActiveSeriesCsv(table);
        break;
      case Format::kText:
        bytes = series::SeriesTextExport(table);
        break;
      case Format::kData:
        if (!std::filesystem::path(path).has_extension()) path += ".bin";
        bytes = graph::EncodeDataFile(table, view);
        break;
    }
    std::string error;
    if (!platform::WriteFileAtomically(path, bytes, error)) return Refuse(error);
    err << "Wrote " << path << '\n';
    return kExitOk;
  }
};

}  // namespace

int ReadSeriesInput(const std::string& path, series::SeriesTable& table, graph::GraphView& view,
                    std::ostream& err) {
  Converter converter(err);
  converter.table.seriesCount = series::kMaxSeriesCount;
  const int status = converter.Read(path);
  table = std::move(converter.table);
  view = std::move(converter.view);
  return status;
}

int RunSeriesCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& err) {
  auto usage = [&err](const std::string& problem) {
    err << "brightlantern-cli: " << problem << "\nTry 'brightlantern-cli --help'.\n";
    return kExitUsage;
  };
  if (i >= args.size() || args[i] != "convert") return usage("series needs convert IN OUT");
  if (i + 2 >= args.size()) return usage("series convert needs IN and OUT");
  const std::string in = args[i + 1];
  const std::string out = args[i + 2];
  i += 3;
  Converter converter(err);
  converter.table.seriesCount = series::kMaxSeriesCount;
  if (const int status = converter.Read(in); status != kExitOk) return status;
  return converter.Write(out);
}

}  // namespace bl::cli
