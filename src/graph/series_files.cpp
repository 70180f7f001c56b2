#include "graph/series_files.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "graph/graph_record.h"
#include "platform/files.h"
#include "series/series_csv.h"
#include "series/series_file.h"
#include "series/series_text.h"

namespace bl::graph {

namespace {

static_assert(series::kSeriesFileGraphBytes == kGraphLibraryBytes);

constexpr char kInvalidTitle[] = "Invalid file format.";
// A plot file or CSV text beyond this is not one a tool wrote.
constexpr std::size_t kMaxPlotFileBytes = series::kMaxCsvBytes;
constexpr int kTitleFields = 6;

platform::FileDialogRequest Request(const char* title, const char* filter, const char* pattern,
                                    const char* extension) {
  platform::FileDialogRequest request;
  request.title = title;
  request.filters = {{filter, pattern}};
  request.defaultExtension = extension;
  return request;
}

// CSV is offered beside the text export and the plot file; the name's extension decides.
bool IsCsv(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".csv";
}

platform::FileDialogRequest WithCsv(platform::FileDialogRequest request) {
  request.filters.push_back({"CSV Files (*.csv)", "*.csv"});
  return request;
}

platform::FileDialogRequest BinaryRequest(const char* title) {
  return Request(title, "Binary Files (*.bin)", "*.bin", "bin");
}

bool TitlesTerminated(std::string_view graphBytes) {
  for (std::size_t record = 0; record + kGraphRecordSize <= graphBytes.size();
       record += kGraphRecordSize)
    for (int field = 0; field < kTitleFields; ++field)
      if (std::memchr(graphBytes.data() + record + field * (kRecordTitleLimit + 1), '\0',
                      kRecordTitleLimit + 1) == nullptr)
        return false;
  return true;
}

// Reads the chosen file, or says why not; false ends the command.
bool ReadChosenFile(platform::Desktop& desktop, const std::string& path, std::size_t limit,
                    std::string& bytes) {
  bool tooLong = false;
  std::string error;
  // A file that cannot be opened ends the command without a word, as a cancelled dialog does.
  if (!platform::ReadFileBounded(path, limit, bytes, tooLong, error)) return false;
  if (tooLong) {
    desktop.ShowMessage(path + " is larger than any file this command reads; nothing was loaded.",
                        kInvalidTitle, platform::MessageButtons::Ok,
                        platform::MessageIcon::Warning);
    return false;
  }
  return true;
}

void WriteChosenFile(platform::Desktop& desktop, const std::string& path, std::string_view bytes,
                     const char* title) {
  std::string error;
  if (!platform::WriteFileAtomically(path, bytes, error))
    desktop.ShowMessage(error, title, platform::MessageButtons::Ok, platform::MessageIcon::Error);
}

}  // namespace

std::string EncodeDataFile(const series::SeriesTable& table, const GraphView& view) {
  GraphView saved;
  saved.library = view.library;
  saved.settings = view.settings;
  saved.settings.graphType = table.graphType;
  return series::EncodeSeriesFile(table, EncodeGraphLibrary(saved));
}

bool ReadDataFile(std::string_view bytes, bool withMagic, series::SeriesTable& table,
                  GraphView& view, std::string& error) {
  series::SeriesFileContents contents;
  if (!series::DecodeSeriesFile(bytes, withMagic, contents, error)) return false;
  if (withMagic) {
    if (!TitlesTerminated(contents.graphBytes)) {
      error = "A graph title in the data file has no end; nothing was loaded.";
      return false;
    }
    GraphView graphs;
    if (!DecodeGraphLibrary(contents.graphBytes, graphs, error)) return false;
    view.library = std::move(graphs.library);
    view.settings = std::move(graphs.settings);
  }
  series::ApplySeriesFile(contents, table);
  return true;
}

void ProcessLoadedSeries(series::SeriesTable& table, GraphView& view,
                         const std::function<void(int graphType)>& switchGraphType) {
  const int type = view.settings.graphType;
  if (type >= 0 && type <= 3 && switchGraphType) {
    switchGraphType(type);
    return;
  }
  table.ProcessAll();
  view.settings.graphType = table.graphType;
  FindLimits(view.settings, table, view.bars);
}

void SaveSeriesFile(platform::Desktop& desktop, const series::SeriesTable& table,
                    const GraphView& view) {
  platform::FileDialogRequest request = BinaryRequest("Save All Data Series");
  request.askToOverwrite = false;  // the question below is the command's own
  const auto path = desktop.ChooseSaveFile(request);
  if (!path) return;
  std::error_code ec;
  if (std::filesystem::exists(*path, ec) &&
      desktop.ShowMessage("This data file already exists.  Do you want to overwrite?",
                          "Save Data Warning", platform::MessageButtons::YesNo,
                          platform::MessageIcon::Warning) != platform::MessageAnswer::Yes)
    return;
  WriteChosenFile(desktop, *path, EncodeDataFile(table, view), "Save Data Warning");
}

bool LoadSeriesFile(platform::Desktop& desktop, series::SeriesTable& table, GraphView& view,
                    const std::function<void(int graphType)>& switchGraphType) {
  const auto path = desktop.ChooseOpenFile(BinaryRequest("Load All Data Series"));
  if (!path) return false;
  std::string bytes;
  if (!ReadChosenFile(desktop, *path, series::kMaxSeriesFileBytes, bytes)) return false;
  const bool withMagic = series::HasSeriesFileMagic(bytes);
  if (!withMagic &&
      desktop.ShowMessage("This does not appear to be a valid data file.  Load file anyway?",
                          kInvalidTitle, platform::MessageButtons::YesNo,
                          platform::MessageIcon::Question) != platform::MessageAnswer::Yes)
    return false;
  std::string error;
  if (!ReadDataFile(bytes, withMagic, table, view, error)) {
    desktop.ShowMessage(*path + ": " + error, kInvalidTitle, platform::MessageButtons::Ok,
                        platform::MessageIcon::Warning);
    return false;
  }
  ProcessLoadedSeries(table, view, switchGraphType);
  return true;
}

void ExportSeriesText(platform::Desktop& desktop, const series::SeriesTable& table) {
  const auto path = desktop.ChooseSaveFile(WithCsv(
      Request("Export Selected Data Series as Text", "Text Files (*.txt)", "*.txt", "txt")));
  if (!path) return;
  WriteChosenFile(desktop, *path,
                  IsCsv(*path) ? series::ActiveSeriesCsv(table) : series::SeriesTextExport(table),
                  "Export Selected Data Series as Text");
}

bool ApplyPlotFile(std::string_view text, series::SeriesTable& table, GraphSettings& settings) {
  const series::PlotFile plot = series::ParsePlotFile(text);
  settings.topTitle = plot.topTitle.value_or("Top Title");
  settings.bottomTitle = plot.bottomTitle.value_or("Bottom Title");
  settings.rightTitle = plot.rightTitle.value_or("Right Title");
  settings.leftTitle = plot.leftTitle.value_or("Left Title");
  for (std::size_t k = 0; k < settings.slots.size(); ++k) {
    settings.slots[k].axis = plot.slotAxis[k].value_or(0);
    settings.slots[k].marker = 0;
  }
  for (int k = 1; k <= 4; ++k)
    if (const auto& title = plot.seriesTitles[static_cast<std::size_t>(k - 1)])
      table[k].SetTitle(*title);
  if (!plot.dataFound || !series::PlotFileImportable(plot)) return false;
  const int count = plot.seriesCount;
  for (int k = 1; k <= kSlotCount; ++k) {
    Slot& slot = settings.slots[static_cast<std::size_t>(k - 1)];
    if (k <= count) {
      slot.series = k;
      slot.secondSeries = 0;
      if (slot.thickness == 0 && slot.marker == 0) slot.thickness = 1;
    } else {
      slot.series = 0;
      slot.secondSeries = 0;
    }
  }
  for (int k = 1; k <= count; ++k) {
    series::DataSeries& s = table[k];
    s.address = 0;
    s.rawDataAddress = 0;
    s.scaleFactor = 1.0;
    s.offset = 0.0;
    s.normalizeFilterGain = false;
    s.rawDataPeriod = 1.0;
    s.Resize(plot.pointCount);
  }
  const auto& rows = plot.rows;
  if (rows.size() > 1 && rows[0].size() > 0 && rows[1].size() > 0 && rows[1][0] > rows[0][0])
    for (int k = 1; k <= count; ++k) table[k].rawDataPeriod = rows[1][0] - rows[0][0];
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 1; c < rows[r].size(); ++c)
      table[static_cast<int>(c)].values[r] = rows[r][c];
  for (int k = 1; k <= count; ++k) table.EncodeLWords(k);
  return true;
}

bool ImportPlotFile(platform::Desktop& desktop, series::SeriesTable& table, GraphView& view) {
  const auto path = desktop.ChooseOpenFile(
      WithCsv(Request("Import PMAC Plot File (.ppl)", "PMAC Plot Files (*.ppl)", "*.ppl", "ppl")));
  if (!path) return false;
  std::string text;
  if (!ReadChosenFile(desktop, *path, kMaxPlotFileBytes, text)) return false;
  if (IsCsv(*path)) {
    std::string error;
    if (!series::ReadSeriesCsv(text, table, error)) {
      desktop.ShowMessage(*path + ": " + error, kInvalidTitle, platform::MessageButtons::Ok,
                          platform::MessageIcon::Warning);
      return false;
    }
    FindLimits(view.settings, table, view.bars);
    return true;
  }
  if (ApplyPlotFile(text, table, view.settings)) FindLimits(view.settings, table, view.bars);
  // The titles change even when no series is imported.
  return true;
}

}  // namespace bl::graph
