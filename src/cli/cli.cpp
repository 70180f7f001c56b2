#include "cli/cli.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "cli/analyze_command.h"
#include "cli/backup_command.h"
#include "cli/console_desktop.h"
#include "cli/diff_command.h"
#include "cli/gather_command.h"
#include "cli/history_command.h"
#include "cli/list_command.h"
#include "cli/series_command.h"
#include "cli/tune_command.h"
#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/editor_transfer.h"
#include "link/builtin_library.h"
#include "link/device_table.h"
#include "link/pmac_link.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "protocol/wire.h"
#include "shell/data_files.h"
#include "terminal_lines/terminal_lines.h"
#include "tuning/test_move.h"

namespace bl::cli {

namespace {

// A command's reply and a definitions file are read up to these sizes.
constexpr int kCommandReplySize = 64 * 1024;
constexpr std::size_t kMaxDefinitionFile = 8 * 1024 * 1024;

const char kUsageHead[] =
    "Usage: brightlantern-cli [CONNECTION] COMMAND [ARGS] [COMMAND [ARGS] ...]\n"
    "\n"
    "Talks to a PMAC controller with the workbench's own link. Commands run in order on one\n"
    "connection; the first that fails ends the run.\n"
    "\n"
    "Connection (one of them; without any, device 0 of the device table):\n"
    "  --device N            device N (0..7) as set up in the program's device choice\n"
    "                        (~/.config/brightlantern/devices.conf)\n"
    "  --host H[:PORT]       a controller on the network (port 1025 by default)\n"
    "  --serial PORT[,BAUD]  a controller on a serial line (38400 baud by default;\n"
    "                        the controller must have I3=2 and I6=1)\n"
    "  --virtual TYPE        a virtual controller of this run only: 1 PMAC1, 2 PMAC2,\n"
    "                        3 PMAC2 Ultralite, 4 Turbo PMAC1, 5 Turbo PMAC2,\n"
    "                        6 Turbo PMAC2 Ultralite\n"
    "  --timeout MS          reply timeout for --host and --serial (default 5000)\n"
    "\n"
    "Commands:\n"
    "  command LINE          sends one command line and prints the reply, one line per\n"
    "                        reply line; #define lines name variables for later commands\n"
    "  download FILE         downloads a program file (#include and #define are followed);\n"
    "                        progress and each controller error, with its file and line,\n"
    "                        go to standard error\n"
    "  upload prog|plc N [--names FILE]\n"
    "                        lists motion program or PLC N, framed by OPEN, CLEAR and\n"
    "                        CLOSE so that it can be downloaded again; with --names, the\n"
    "                        variables named by the #define lines of FILE get their names\n"
    "  gather [OPTIONS]      defines the gather buffer, gathers, uploads and processes the\n"
    "                        data and writes the series as CSV: a time column, then one\n"
    "                        column per series\n"
    "      --source SRC[=TITLE]\n"
    "                        a source to gather (repeat for more): X:ADDR[:BIT:LEN[:u]],\n"
    "                        Y:ADDR[:BIT:LEN[:u]], D:ADDR, L:ADDR, Pn, Qn, or a motor's\n"
    "                        motorN.commanded, .actual, .velocity, .output or .error;\n"
    "                        positions come in counts, the velocity in counts per servo\n"
    "                        cycle, the output in DAC units. Without --source, the sources\n"
    "                        and processing set up in the program are gathered\n"
    "      --period N        servo cycles between samples (default: the program's setting)\n"
    "      --buffer N        buffer size in long words (addresses); 0 takes all free memory\n"
    "      --time SECONDS    gathers this long, then ends gathering; without it, until the\n"
    "                        controller stops (a full buffer, or ENDG from elsewhere)\n"
    "      --wrap            lets the buffer wrap around (with --time): the last samples\n"
    "      --run LINE        a command line sent once gathering has begun (repeat for\n"
    "                        more), for example \"#1J^1000\"\n"
    "      --output FILE     writes the CSV to FILE instead of standard output\n"
    "  tune step|trapezoid|sweep [OPTIONS]\n"
    "                        a test move of the Motor Tuning sheet on a motor: gathers its\n"
    "                        commanded position, actual position and servo output and\n"
    "                        writes them as CSV once the move is over; the controller\n"
    "                        needs BL_TestMoves.pmc and the motor must be enabled\n"
    "      --motor N         the motor (default: the one the controller has addressed)\n"
    "      --size CTS        step or move size, or the sweep's amplitude (counts)\n"
    "      --dwell MS        dwell after a step or a constant-velocity move\n"
    "      --velocity V      constant-velocity move: counts per ms\n"
    "      --acceleration A  constant-velocity move: counts per ms^2\n"
    "      --time MS         sweep: its length\n"
    "      --low HZ, --high HZ\n"
    "                        sweep: its first and last frequency (0 to 100)\n"
    "                        (parameters not given are those last used in the program)\n"
    "      --period CYCLES   gathers a sample every CYCLES servo cycles (default: the\n"
    "                        gather settings; 1 for a run analyze predict can use)\n"
    "      --download        downloads BL_TestMoves.pmc first\n"
    "      --output FILE     writes the CSV to FILE instead of standard output\n"
    "  backup FILE [--sections LIST]\n"
    "                        writes the controller's configuration as a program file that\n"
    "                        restores it when downloaded: LIST names the sections, from\n"
    "                        p,q,m,i (variables), prog,plc,plcc (programs, compiled PLCs),\n"
    "                        cs (axis definitions), ect (non-Turbo encoder table), macro;\n"
    "                        without it all but macro. The file replaces an older one only\n"
    "                        once complete; one progress line per section\n"
    "  restore FILE          downloads a backup file (the same as download)\n"
    "  list plc|plcc|prog|axes [--cs N]\n"
    "                        prints a status report of the PMAC menu: the PLC, compiled\n"
    "                        PLC or motion-program buffers (number, address, length,\n"
    "                        enabled), or the axis definitions of motors 1..8 (Turbo\n"
    "                        1..16) in coordinate system N (default 0)\n"
    "  diff A B [--names FILE]\n"
    "                        compares two configurations, each a backup file or\n"
    "                        \"controller\" (the connected one, read as backup reads it):\n"
    "                        one line per difference on standard output, \"I130: 2000 ->\n"
    "                        3000\", \"PROG 3 line 2: X1000 -> X2000\", \"PLC 7: only in B:\n"
    "                        12 lines\"; the count on standard error. With --names, the\n"
    "                        variables named by the #define lines of FILE get their\n"
    "                        names. Exit status 0 the same, 1 different (which ends the\n"
    "                        run), 2 a file unreadable or damaged or the controller not\n"
    "                        read; with two files it needs no controller\n"
    "  series convert IN OUT converts a series file, each format chosen by its extension:\n"
    "                        .csv CSV (a time column, then one column per active series;\n"
    "                        read: ',' or ';' between cells, decimal point or comma),\n"
    "                        .txt the text export (written only), .ppl a PMAC plot file\n"
    "                        (read only), anything else the program's data file of \"Save\n"
    "                        All Data Series\" (.bin is added to OUT without extension);\n"
    "                        needs no controller\n"
    "  analyze metrics RUN [--commanded N] [--actual N]\n"
    "                        the step metrics of a run (a file series convert reads; series\n"
    "                        1 commanded and 2 actual unless told, as tune writes them) as\n"
    "                        CSV: step size, rise time (10-90 %), overshoot, settling time\n"
    "                        (2 %), peak and RMS following error, steady-state error;\n"
    "                        needs no controller\n"
    "  analyze bode RUN [--commanded N] [--actual N] [--segments K | --whole [--smooth B]]\n"
    "               [--ivars FILE] [--motor N] [--open-loop]\n"
    "                        the frequency response from commanded to actual position of a\n"
    "                        run (best a sweep), averaged over K half-overlapping segments\n"
    "                        (default 8), as CSV: frequency,magnitude_db,phase_deg,coherence;\n"
    "                        the closed-loop bandwidth goes to standard error, and with FILE\n"
    "                        (I-variable assignments, as a backup holds them) the motor's\n"
    "                        servo law gives the open loop (--open-loop writes it instead),\n"
    "                        crossover frequency, phase margin and gain margin; \"none\"\n"
    "                        where a curve does not cross. --whole takes a run from rest to\n"
    "                        rest (a chirp out and back) in one transform, exact in every\n"
    "                        bin, its coherence averaged over B bins each side (default 4);\n"
    "                        needs no controller\n"
    "  analyze predict --from RUN [--set \"I130=...,I131=...\"] [--move MOVE] [--ivars FILE]\n"
    "                 [--motor N] [--commanded N] [--actual N] [--output N] [--suggest]\n"
    "                 [--phase-margin DEG] [--gain-margin DB]\n"
    "                        identifies the motor's plant from a run that gathered its\n"
    "                        output (series 3 unless told; a tuning history .blrun file\n"
    "                        brings the gains it ran with, else give them with --ivars), then\n"
    "                        predicts, before anything is sent, the move under the gains\n"
    "                        --set changes: the run's own commanded path, or MOVE =\n"
    "                        step:SIZE,DWELL or trapezoid:SIZE,VEL,ACC,DWELL (counts, ms).\n"
    "                        CSV time_s,commanded,actual,output on standard output; the fit,\n"
    "                        margins and step metrics on standard error. Unstable gains are\n"
    "                        reported instead (exit 1). --suggest adds a notch for a\n"
    "                        resonance and gains for the margins (default 45 deg, 8 dB);\n"
    "                        needs no controller\n"
    "  analyze chirp [--amplitude CTS] [--low HZ] [--high HZ] [--time MS] [--program N]\n"
    "                [--gather]\n"
    "                        writes a motion program (default PROG 998, defaults 100 counts,\n"
    "                        1 to 100 Hz, 2000 ms) that runs a logarithmic chirp on axis X\n"
    "                        of its coordinate system and returns, for analyze bode; with\n"
    "                        --gather it turns gathering on and off itself\n";
const char kUsageTail[] =
    "  --help                shows this text\n"
    "\n"
    "Exit status: 0 done; 1 the controller reported an error, a download or restore had\n"
    "errors, a test move did not start, a series file or a tuning run was refused, a status\n"
    "table could not be read or a backup could not be written; 2 the command line was not\n"
    "understood or a test move's parameter is out of range; 3 no connection to the\n"
    "controller. diff's own are given above.\n";

// The reply as lines: CR ends a line, the acknowledge character ends the reply. An error
// (BEL ERRnnn) is returned apart.
struct ReplyText {
  std::string lines;
  std::string error;
};
ReplyText SplitReply(std::string_view reply) {
  ReplyText out;
  if (const std::size_t ack = reply.find(protocol::kAck); ack != std::string_view::npos)
    reply = reply.substr(0, ack);
  if (const std::size_t bell = reply.find(protocol::kBell); bell != std::string_view::npos) {
    for (char c : reply.substr(bell + 1))
      if (c >= 32 && c <= 126) out.error += c;
    reply = reply.substr(0, bell);
  }
  for (char c : reply) {
    if (c == '\r')
      out.lines += '\n';
    else if (c != '\n')
      out.lines += c;
  }
  return out;
}

class Session {
 public:
  Session(std::ostream& out, std::ostream& err) : out_(out), err_(err), desktop_(err) {
    // The link's notices (a connection lost, restored, refused) are worth seeing.
    terminal_.repaint = [this] {
      if (!terminal_.Line(0).text.empty()) err_ << terminal_.Line(0).text << '\n';
    };
  }

  int Parse(const std::vector<std::string>& args) {
    std::size_t i = 0;
    DeviceConfig config;
    bool custom = false;
    int timeoutMs = 5000;
    for (; i < args.size(); ++i) {
      const std::string& a = args[i];
      const bool hasValue = i + 1 < args.size();
      if (a == "--help" || a == "-h") {
        out_ << UsageText();
        helpShown_ = true;
        return kExitOk;
      }
      if (a.rfind("--", 0) != 0) break;
      if (!hasValue) return Usage("option " + a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--device") {
        const auto n = ToInt(v, 0, kDeviceCount - 1);
        if (!n) return Usage("--device takes a number from 0 to 7");
        device_ = *n;
      } else if (a == "--host") {
        config = {};
        config.kind = DeviceConfig::Kind::Ethernet;
        const std::size_t colon = v.rfind(':');
        config.host = v.substr(0, colon);
        if (colon != std::string::npos) {
          const auto port = ToInt(std::string_view(v).substr(colon + 1), 1, 65535);
          if (!port) return Usage("--host takes HOST or HOST:PORT with a port 1..65535");
          config.port = *port;
        }
        custom = true;
      } else if (a == "--serial") {
        config = {};
        config.kind = DeviceConfig::Kind::Serial;
        const std::size_t comma = v.find(',');
        config.serialPort = v.substr(0, comma);
        if (comma != std::string::npos) {
          const auto baud = ToInt(std::string_view(v).substr(comma + 1), 1, 4000000);
          if (!baud) return Usage("--serial takes PORT or PORT,BAUD");
          config.baud = *baud;
        }
        custom = true;
      } else if (a == "--virtual") {
        const auto type = ToInt(v, 1, 6);
        if (!type) return Usage("--virtual takes a controller type from 1 to 6");
        config = {};
        config.kind = DeviceConfig::Kind::Virtual;
        config.virtualType = *type;
        custom = true;
      } else if (a == "--timeout") {
        const auto ms = ToInt(v, 100, 60000);
        if (!ms) return Usage("--timeout takes milliseconds from 100 to 60000");
        timeoutMs = *ms;
      } else {
        return Usage("unknown option " + a);
      }
    }
    config.timeoutMs = timeoutMs;
    commands_.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (commands_.empty()) return Usage("no command given");
    if (custom) {
      if (const std::string problem = CheckDevice(config); !problem.empty()) return Usage(problem);
      // A device of this run only: the user's device table is neither read nor written.
      devices_ = std::make_unique<BuiltinDevices>("", &virtualTime_, &clock_);
      DeviceTable table = DefaultDeviceTable();
      table[0] = config;
      std::string error;
      devices_->SetTable(table, error);
      device_ = 0;
    } else {
      devices_ =
          std::make_unique<BuiltinDevices>(DefaultDeviceSettingsPath(), &virtualTime_, &clock_);
      if (!devices_->LoadError().empty()) err_ << devices_->LoadError() << '\n';
    }
    return -1;
  }

  int Run() {
    std::size_t i = 0;
    while (i < commands_.size()) {
      // Series files and their analysis need no controller: the link comes up with the first
      // command that does.
      const bool needsLink = commands_[i] == "diff"
                                 ? DiffNeedsController(commands_, i + 1)
                                 : commands_[i] != "series" && commands_[i] != "analyze" &&
                                       commands_[i] != "history";
      if (needsLink && !link_) {
        devices_->chooseDevice = [this] { return device_; };
        link_ = std::make_unique<PmacLink>(terminal_, definitions_, desktop_,
                                           BuiltinLibraryLoader(*devices_));
        // The connection's own success message is of no interest to a script.
        if (link_->LinkConnect() != 0) return kExitNoConnection;
      }
      const int status = Command(i);
      if (status != kExitOk) return status;
    }
    return kExitOk;
  }

  bool HelpShown() const { return helpShown_; }

 private:
  int Usage(const std::string& problem) {
    err_ << "brightlantern-cli: " << problem << "\nTry 'brightlantern-cli --help'.\n";
    return kExitUsage;
  }

  // Runs the command at commands_[i] and moves i past its arguments.
  int Command(std::size_t& i) {
    const std::string name = commands_[i++];
    const auto next = [&]() -> std::optional<std::string> {
      if (i >= commands_.size()) return std::nullopt;
      return commands_[i++];
    };
    if (name == "command") {
      const auto line = next();
      if (!line) return Usage("command needs a command line");
      return SendCommand(*line);
    }
    if (name == "download") {
      const auto file = next();
      if (!file) return Usage("download needs a file");
      return Download(*file);
    }
    if (name == "upload") {
      const auto what = next();
      const auto number = next();
      if (!what || !number || (*what != "prog" && *what != "plc"))
        return Usage("upload needs prog or plc and a number");
      const auto n = ToInt(*number, 0, *what == "plc" ? 31 : 32767);
      if (!n) return Usage("upload: no such program number " + *number);
      std::string names;
      if (i < commands_.size() && commands_[i] == "--names") {
        ++i;
        const auto file = next();
        if (!file) return Usage("--names needs a file");
        names = *file;
      }
      return Upload(*what == "plc" ? editor::kUploadPlc : editor::kUploadMotion, *n, names);
    }
    if (name == "gather") {
      GatherOptions options;
      std::string problem;
      if (!ParseGatherOptions(commands_, i, options, problem)) return Usage(problem);
      return RunGather(options, *link_, definitions_, terminal_, desktop_, out_, err_);
    }
    if (name == "series") return RunSeriesCommand(commands_, i, err_);
    if (name == "analyze") return RunAnalyzeCommand(commands_, i, out_, err_);
    if (name == "history") return RunHistoryCommand(commands_, i, out_, err_);
    if (name == "backup") {
      BackupOptions options;
      std::string problem;
      if (!ParseBackupOptions(commands_, i, options, problem)) return Usage(problem);
      return RunBackupCommand(options, *link_, definitions_, terminal_, err_);
    }
    if (name == "restore") {
      const auto file = next();
      if (!file) return Usage("restore needs a file");
      return Download(*file);
    }
    if (name == "diff") {
      DiffOptions options;
      std::string problem;
      if (!ParseDiffOptions(commands_, i, options, problem)) return Usage(problem);
      return RunDiffCommand(options, link_.get(), definitions_, terminal_, out_, err_);
    }
    if (name == "list") {
      ListOptions options;
      std::string problem;
      if (!ParseListOptions(commands_, i, options, problem)) return Usage(problem);
      return RunList(options, *link_, definitions_, terminal_, out_, err_);
    }
    if (name == "tune") {
      TuneOptions options;
      std::string error;
      if (!tuning::LoadTestMoveSettings(tuning::TestMoveSettingsPath(), options.parameters, error))
        err_ << "brightlantern-cli: " << error << '\n';
      std::string problem;
      if (!ParseTuneOptions(commands_, i, options, problem)) return Usage(problem);
      if (options.download) {
        if (const int status = Download(TestMovesProgram()); status != kExitOk) return status;
      }
      return RunTune(options, *link_, definitions_, terminal_, desktop_, clock_, out_, err_);
    }
    return Usage("unknown command " + name);
  }

  int SendCommand(const std::string& line) {
    std::string reply;
    link_->PmacCommand(reply, kCommandReplySize, line, false);
    const ReplyText text = SplitReply(reply);
    out_ << text.lines;
    if (!text.error.empty()) {
      err_ << "brightlantern-cli: " << line << ": " << text.error << '\n';
      return kExitFailed;
    }
    // A #define line is kept here and sends nothing; anything else is answered in full.
    if (reply.find(protocol::kAck) == std::string::npos && !IsDefineLine(line)) {
      err_ << "brightlantern-cli: no complete reply to \"" << line << "\"\n";
      return kExitFailed;
    }
    return kExitOk;
  }

  // The shipped controller program: beside the user first, then where the program is installed,
  // then in the source tree of a developer build.
  static std::string TestMovesProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    std::vector<std::string> folders;
    if (!error) folders.push_back((self.parent_path() / "../share/brightlantern").string());
    folders.push_back(BL_SOURCE_DATA_DIR);
    return DataFiles(std::filesystem::current_path(error).string(), folders)
        .Find("\\BL_TestMoves.pmc");
  }

  int Download(const std::string& file) {
    int lastTenth = -1;
    const int result = link_->Download(
        file, [this](std::string_view text) { err_ << text << '\n'; },
        [&](int percent) {
          // Every tenth of the way is enough for a log.
          if (percent / 10 != lastTenth) {
            lastTenth = percent / 10;
            err_ << "progress: " << percent << "%\n";
          }
        });
    return result == 1 ? kExitOk : kExitFailed;
  }

  int Upload(int kind, int number, const std::string& namesFile) {
    if (!namesFile.empty() && !ReadNamesFile(namesFile, definitions_, terminal_, err_))
      return kExitFailed;
    std::string reply;
    link_->PmacCommand(reply, editor::kUploadResponseSize, editor::ListCommand(number, kind),
                       false);
    const ReplyText text = SplitReply(reply);
    if (!text.error.empty() || reply.find(protocol::kAck) == std::string::npos) {
      err_ << "brightlantern-cli: " << editor::ListCommand(number, kind) << ": "
           << (text.error.empty() ? "no complete reply" : text.error) << '\n';
      return kExitFailed;
    }
    out_ << editor::UploadedProgramText(reply, number, kind, {}, definitions_);
    return kExitOk;
  }

  std::ostream& out_;
  std::ostream& err_;
  ConsoleDesktop desktop_;
  // A virtual controller's servo time follows the real clock, as in the program: its motors
  // move and it gathers while a script waits.
  platform::SystemClock clock_;
  VirtualTime virtualTime_;
  VirtualTimeThread virtualTimeThread_{virtualTime_, clock_};
  Terminal terminal_;
  DefinitionTable definitions_;
  std::unique_ptr<BuiltinDevices> devices_;
  std::unique_ptr<PmacLink> link_;
  std::vector<std::string> commands_;
  int device_ = 0;
  bool helpShown_ = false;
};

}  // namespace

const char* UsageText() {
  // The history's lines are its command's own, so that "history --help" says the same.
  static const std::string text = std::string(kUsageHead) + HistoryUsageText() + kUsageTail;
  return text.c_str();
}

bool ReadNamesFile(const std::string& file, DefinitionTable& definitions, Terminal& terminal,
                   std::ostream& err) {
  std::string text, error;
  bool tooLong = false;
  if (!platform::ReadFileBounded(file, kMaxDefinitionFile, text, tooLong, error)) {
    err << "brightlantern-cli: " << error << '\n';
    return false;
  }
  if (tooLong) err << "brightlantern-cli: " << file << " is read up to 8 MB only\n";
  DefineFromText(text, definitions, terminal);
  return true;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Session session(out, err);
  if (const int status = session.Parse(args); status >= 0) return status;
  return session.Run();
}

}  // namespace bl::cli
