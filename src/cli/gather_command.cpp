#include "cli/gather_command.h"

#include <charconv>
#include <chrono>
#include <thread>
#include <utility>

#include "cli/cli.h"
#include "controller/controller_type.h"
#include "controller/identify_controller.h"
#include "link/pmac_link.h"
#include "platform/files.h"
#include "platform/ui_thread.h"
#include "protocol/wire.h"
#include "series/gather.h"
#include "series/gather_source.h"
#include "series/series_csv.h"
#include "series/series_table.h"
#include "series/upload.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::cli {

namespace {

constexpr int kReplySize = 1024;
constexpr int kGatheringBit = 1 << 19;
// Without a time, gathering ends when the controller stops it; a buffer that never fills (a
// gather to dual-ported memory, say) must not hang a script for ever.
constexpr auto kLongestUnattendedGather = std::chrono::minutes(10);

// The command line has nothing to post to: every task runs at once.
class ConsoleUiThread final : public platform::UiThread {
 public:
  void Post(std::function<void()> task) override {
    if (task) task();
  }
  void PostAndWait(std::function<void()> task) override { Post(std::move(task)); }
  bool IsUiThread() const override { return true; }
};

// Sends a line and reports an error reply or a missing one. True when the controller took it.
bool Send(PmacLink& link, const std::string& line, std::ostream& err) {
  std::string reply;
  link.PmacCommand(reply, kReplySize, line, false);
  if (const std::size_t bell = reply.find(protocol::kBell); bell != std::string::npos) {
    std::string error;
    for (char c : reply.substr(bell + 1))
      if (c >= 32 && c <= 126) error += c;
    err << "brightlantern-cli: " << line << ": " << error << '\n';
    return false;
  }
  if (reply.find(protocol::kAck) == std::string::npos) {
    err << "brightlantern-cli: no complete reply to \"" << line << "\"\n";
    return false;
  }
  return true;
}

// Bit 19 of the global status word: the controller is gathering.
bool Gathering(PmacLink& link, const ControllerType& type, bool& on) {
  double word = 0;
  if (link.PmacValue(ValueKind::XWord, type.IsTurbo() ? 6 : 3, word, AccessMode::Read) != 0)
    return false;
  on = (static_cast<long long>(word) & kGatheringBit) != 0;
  return true;
}

}  // namespace

bool ParseGatherOptions(const std::vector<std::string>& args, std::size_t& i,
                        GatherOptions& options, std::string& problem) {
  while (i < args.size() && args[i].starts_with("--")) {
    const std::string option = args[i];
    if (option == "--wrap") {
      options.wrap = true;
      ++i;
      continue;
    }
    if (i + 1 >= args.size()) {
      problem = "gather: " + option + " needs a value";
      return false;
    }
    const std::string& value = args[i + 1];
    if (option == "--source") {
      options.sources.push_back(value);
    } else if (option == "--period") {
      const std::optional<int> period = ToInt(value, 1, 0x7FFFFF);
      if (!period) {
        problem = "gather: --period takes servo cycles from 1 to 8388607";
        return false;
      }
      options.period = *period;
    } else if (option == "--buffer") {
      const std::optional<int> size = ToInt(value, 0, 0x7FFFFF);
      if (!size) {
        problem = "gather: --buffer takes a size in words from 0 (all free memory)";
        return false;
      }
      options.bufferSize = *size;
    } else if (option == "--time") {
      const double seconds = ParseNumber<double>(value).value_or(0.0);
      if (!(seconds > 0) || seconds > 86400) {
        problem = "gather: --time takes seconds above 0, at most a day";
        return false;
      }
      options.seconds = seconds;
    } else if (option == "--run") {
      options.runLines.push_back(value);
    } else if (option == "--output") {
      options.outputFile = value;
    } else {
      break;  // not one of the gather command's: the next command's business
    }
    i += 2;
  }
  if (options.wrap && options.seconds == 0) {
    problem = "gather: --wrap needs --time, since a wrapping buffer never fills";
    return false;
  }
  return true;
}

int RunGather(const GatherOptions& options, PmacLink& link, DefinitionTable& definitions,
              Terminal& terminal, platform::Desktop& desktop, std::ostream& out,
              std::ostream& err) {
  ControllerType type;
  IdentifyForScript(type, link, definitions, terminal, err);

  series::SeriesTable table;
  series::GatherBuffer buffer;
  table.seriesCount = type.seriesCount;
  std::string error;
  if (!series::LoadGatherSettings(buffer, table, error))
    err << "brightlantern-cli: " << error << '\n';

  if (!options.sources.empty()) {
    if (static_cast<int>(options.sources.size()) > type.seriesCount) {
      err << "brightlantern-cli: gather: this controller gathers at most " << type.seriesCount
          << " sources\n";
      return kExitUsage;
    }
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) table[k].active = false;
    for (std::size_t n = 0; n < options.sources.size(); ++n) {
      series::GatherSource source;
      if (!series::ParseGatherSource(options.sources[n], type, source, error)) {
        err << "brightlantern-cli: gather: " << options.sources[n] << ": " << error << '\n';
        return kExitUsage;
      }
      series::DataSeries& s = table[static_cast<int>(n) + 1];
      series::UseGatherSource(source, s);
      if (source.scaleVariable != 0) {
        double units = 0;
        if (link.PmacValue(ValueKind::I, source.scaleVariable, units, AccessMode::Read) == 0 &&
            units > 0)
          s.scaleFactor = 1.0 / (32.0 * units);
        else
          err << "brightlantern-cli: I" << source.scaleVariable << " could not be read; "
              << options.sources[n] << " stays in register units\n";
      }
    }
  }
  if (options.period > 0) buffer.period = options.period;
  if (options.bufferSize >= 0) buffer.bufferSize = options.bufferSize;
  if (options.wrap) buffer.mode |= 1;

  std::vector<int> active;
  for (int k = 1; k <= type.seriesCount; ++k)
    if (table[k].active) active.push_back(k);
  if (active.empty()) {
    err << "brightlantern-cli: gather: no source to gather; give --source\n";
    return kExitUsage;
  }

  // The definition the program sends, each line checked: a controller that refuses one (a
  // gather already running, say) ends the run here.
  for (const std::string& line : series::DefineGatherCommands(type.typeCode, buffer, table))
    if (!Send(link, line, err)) return kExitFailed;
  if (!Send(link, "GAT", err)) return kExitFailed;
  for (const std::string& line : options.runLines)
    if (!Send(link, line, err)) return kExitFailed;

  if (options.seconds > 0) {
    err << "gathering for " << options.seconds << " s\n";
    std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
    if (!Send(link, "ENDG", err)) return kExitFailed;
  } else {
    err << "gathering until the controller stops\n";
    if (const int status = WaitForGatheringEnd(link, type, "; give --time", err); status != kExitOk)
      return status;
  }
  return UploadAndWriteCsv(link, terminal, desktop, type, buffer, table, active, options.outputFile,
                           out, err);
}

void IdentifyForScript(ControllerType& type, PmacLink& link, DefinitionTable& definitions,
                       Terminal& terminal, std::ostream& err) {
  // Identification prints the controller's description into the terminal; a script needs
  // only the type it finds.
  const auto repaint = std::exchange(terminal.repaint, nullptr);
  IdentifyController(type, link, definitions, terminal, {});
  terminal.repaint = repaint;
  err << "controller: " << type.displayName << ", servo period " << type.servoPeriod * 1000.0
      << " ms\n";
}

int WaitForGatheringEnd(PmacLink& link, const ControllerType& type, std::string_view advice,
                        std::ostream& err) {
  const auto begun = std::chrono::steady_clock::now();
  for (bool on = true; on;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!Gathering(link, type, on)) {
      err << "brightlantern-cli: the gather status could not be read\n";
      return kExitFailed;
    }
    if (on && std::chrono::steady_clock::now() - begun > kLongestUnattendedGather) {
      err << "brightlantern-cli: still gathering after 10 minutes" << advice << '\n';
      Send(link, "ENDG", err);
      return kExitFailed;
    }
  }
  return kExitOk;
}

int UploadAndWriteCsv(PmacLink& link, Terminal& terminal, platform::Desktop& desktop,
                      const ControllerType& type, series::GatherBuffer& buffer,
                      series::SeriesTable& table, const std::vector<int>& active,
                      const std::string& outputFile, std::ostream& out, std::ostream& err) {
  ConsoleUiThread ui;
  int lastTenth = -1;
  series::UploadView view;
  view.progress = [&](int percent) {
    if (percent / 10 != lastTenth) {
      lastTenth = percent / 10;
      err << "upload: " << percent << "%\n";
    }
  };
  const series::UploadReport report =
      series::UploadGatheredData({link, terminal, desktop, ui, type, buffer, table}, view);
  if (report.outcome != series::UploadOutcome::kDone) {
    err << "brightlantern-cli: upload: "
        << (report.message.empty() ? "nothing was gathered" : report.message) << '\n';
    return kExitFailed;
  }
  err << "uploaded " << report.sampleCount << " samples of " << active.size() << " series\n";

  const std::string csv = series::SeriesCsv(table, active);
  if (outputFile.empty()) {
    out << csv;
    return kExitOk;
  }
  std::string error;
  if (!platform::WriteFileAtomically(outputFile, csv, error)) {
    err << "brightlantern-cli: " << error << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace bl::cli
