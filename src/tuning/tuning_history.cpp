#include "tuning/tuning_history.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "platform/files.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"

namespace bl::tuning {

namespace {

namespace fs = std::filesystem;

// Room for a hundred values of up to 20 characters and their line ends.
constexpr int kVariablesReplySize = 4096;
constexpr char kAck = 6;
constexpr char kBell = 7;

std::string Number(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("nan");
}

std::optional<double> ParseDouble(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The text's lines one by one, without their line ends.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  int Number() const { return number_; }
  std::size_t Left() const { return pos_ < text_.size() ? text_.size() - pos_ : 0; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

struct Civil {
  int year, month, day, hour, minute, second, milli;
};

Civil CivilOf(std::int64_t timeMs) {
  const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000 - (timeMs % 1000 < 0));
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  const int milli = static_cast<int>(((timeMs % 1000) + 1000) % 1000);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, milli};
}

std::string IsoTime(std::int64_t timeMs) {
  const Civil c = CivilOf(timeMs);
  return platform::Format("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", c.year, c.month, c.day, c.hour,
                          c.minute, c.second, c.milli);
}

std::optional<std::int64_t> ParseIsoTime(std::string_view text) {
  Civil c{};
  char zone = 0;
  if (platform::Scan(text, 40, "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &c.year, &c.month, &c.day, &c.hour,
                     &c.minute, &c.second, &c.milli, &zone) != 8 ||
      zone != 'Z')
    return std::nullopt;
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour < 0 || c.hour > 23 ||
      c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 60 || c.milli < 0)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = c.year - 1900;
  tm.tm_mon = c.month - 1;
  tm.tm_mday = c.day;
  tm.tm_hour = c.hour;
  tm.tm_min = c.minute;
  tm.tm_sec = c.second;
  return static_cast<std::int64_t>(timegm(&tm)) * 1000 + c.milli;
}

std::string IdOf(std::int64_t timeMs) {
  const Civil c = CivilOf(timeMs);
  return platform::Format("%04d%02d%02d-%02d%02d%02d-%03d", c.year, c.month, c.day, c.hour,
                          c.minute, c.second, c.milli);
}

// An id names a file in the motor's folder and nothing else.
bool SafeId(std::string_view id) {
  if (id.empty() || id.size() > 64) return false;
  return std::all_of(id.begin(), id.end(), [](char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
           ch == '-' || ch == '_';
  });
}

std::optional<TestMoveKind> KindNamed(std::string_view name) {
  for (TestMoveKind kind :
       {TestMoveKind::kStep, TestMoveKind::kTrapezoid, TestMoveKind::kSineSweep})
    if (MoveName(kind) == name) return kind;
  return std::nullopt;
}

// The move parameter a file name stands for; exactly one of the two pointers is set.
struct ParameterField {
  int* whole = nullptr;
  float* real = nullptr;
};
ParameterField FieldOf(TestMoveKind kind, std::string_view name, TestMoveParameters& p) {
  switch (kind) {
    case TestMoveKind::kStep:
      if (name == "size") return {&p.stepSize};
      if (name == "dwell") return {&p.stepDwell};
      break;
    case TestMoveKind::kTrapezoid:
      if (name == "size") return {&p.trapezoidSize};
      if (name == "dwell") return {&p.trapezoidDwell};
      if (name == "velocity") return {nullptr, &p.velocity};
      if (name == "acceleration") return {nullptr, &p.acceleration};
      break;
    case TestMoveKind::kSineSweep:
      if (name == "size") return {&p.sweepSize};
      if (name == "time") return {&p.sweepTime};
      if (name == "low") return {&p.lowFrequency};
      if (name == "high") return {&p.highFrequency};
      break;
  }
  return {};
}

struct MetricField {
  std::string_view name;
  double series::StepMetrics::*plain = nullptr;
  std::optional<double> series::StepMetrics::*optional = nullptr;
};
constexpr MetricField kMetricFields[] = {
    {"step_size", &series::StepMetrics::stepSize},
    {"step_time", &series::StepMetrics::stepTime},
    {"rise_time", nullptr, &series::StepMetrics::riseTime},
    {"overshoot", nullptr, &series::StepMetrics::overshoot},
    {"settling_time", nullptr, &series::StepMetrics::settlingTime},
    {"peak_following_error", &series::StepMetrics::peakFollowingError},
    {"rms_following_error", &series::StepMetrics::rmsFollowingError},
    {"steady_state_error", nullptr, &series::StepMetrics::steadyStateError},
};

std::string ShortNameOf(int typeCode) { return ControllerTypeInfoFor(typeCode).shortName; }

// The type a controller folder's name stands for, or 0.
int TypeCodeOfFolder(std::string_view name) {
  for (int code = 1; code <= 6; ++code)
    if (ShortNameOf(code) == name) return code;
  return 0;
}

// The ids of the run files in a folder, newest first.
std::vector<std::string> RunIds(const std::string& folder) {
  std::vector<std::string> ids;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    if (path.extension() != kRunFileExtension) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    ids.push_back(path.stem().string());
  }
  std::sort(ids.begin(), ids.end(), std::greater<>());
  return ids;
}

}  // namespace

std::string RunTimeText(std::int64_t timeMs) {
  const Civil c = CivilOf(timeMs);
  return platform::Format("%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                          c.second);
}

std::string_view MoveName(TestMoveKind kind) {
  switch (kind) {
    case TestMoveKind::kStep:
      return "step";
    case TestMoveKind::kTrapezoid:
      return "trapezoid";
    case TestMoveKind::kSineSweep:
      return "sweep";
  }
  return "step";
}

std::vector<std::pair<std::string, std::string>> MoveParameters(TestMoveKind kind,
                                                                const TestMoveParameters& p) {
  auto whole = [](int v) { return std::to_string(v); };
  auto real = [](float v) { return Number(static_cast<double>(v)); };
  switch (kind) {
    case TestMoveKind::kStep:
      return {{"size", whole(p.stepSize)}, {"dwell", whole(p.stepDwell)}};
    case TestMoveKind::kTrapezoid:
      return {{"size", whole(p.trapezoidSize)},
              {"dwell", whole(p.trapezoidDwell)},
              {"velocity", real(p.velocity)},
              {"acceleration", real(p.acceleration)}};
    case TestMoveKind::kSineSweep:
      return {{"size", whole(p.sweepSize)},
              {"time", whole(p.sweepTime)},
              {"low", whole(p.lowFrequency)},
              {"high", whole(p.highFrequency)}};
  }
  return {};
}

std::string MoveText(TestMoveKind kind, const TestMoveParameters& p) {
  using platform::Format;
  switch (kind) {
    case TestMoveKind::kStep:
      return Format("step %d cts, dwell %d ms", p.stepSize, p.stepDwell);
    case TestMoveKind::kTrapezoid:
      return Format("trapezoid %d cts at %.2f cts/ms, %.2f cts/ms^2, dwell %d ms", p.trapezoidSize,
                    static_cast<double>(p.velocity), static_cast<double>(p.acceleration),
                    p.trapezoidDwell);
    case TestMoveKind::kSineSweep:
      return Format("sweep %d cts, %d-%d Hz over %d ms", p.sweepSize, p.lowFrequency,
                    p.highFrequency, p.sweepTime);
  }
  return {};
}

std::string RunFileText(const TuningRun& run) {
  std::string out;
  auto line = [&out](std::string_view text) {
    out += text;
    out += "\r\n";
  };
  line(kRunFileHeader);
  line("version=" + std::to_string(kRunFileVersion));
  line("time=" + IsoTime(run.timeMs));
  line("type=" + std::to_string(run.typeCode));
  line("type.name=" + run.typeName);
  line("device=" + run.device);
  line("motor=" + std::to_string(run.motor));
  line("move=" + std::string(MoveName(run.kind)));
  for (const auto& [name, value] : MoveParameters(run.kind, run.parameters))
    line("move." + name + "=" + value);
  if (run.gatherPeriod > 0) line("gather.period=" + std::to_string(run.gatherPeriod));
  if (run.metrics) {
    for (const MetricField& f : kMetricFields) {
      const std::optional<double> value =
          f.plain ? std::optional<double>((*run.metrics).*f.plain) : (*run.metrics).*f.optional;
      if (value) line("metric." + std::string(f.name) + "=" + Number(*value));
    }
  }
  for (int suffix = 0; suffix < kMotorVariableCount; ++suffix)
    if (const auto& v = run.variables[static_cast<std::size_t>(suffix)])
      line(platform::Format("I%d=", run.motor * 100 + suffix) + Number(*v));
  for (const RunSeries& s : run.series) {
    line("series=" + s.title);
    line("series.period=" + Number(s.period));
    line("series.samples=" + std::to_string(s.values.size()));
    for (double v : s.values) line(Number(v));
  }
  line("end=" + std::to_string(run.series.size()));
  return out;
}

bool ParseRunFile(std::string_view text, TuningRun& run, std::string& error) {
  run = TuningRun{};
  if (text.size() > kMaxRunFileBytes) {
    error = "the file is too large for a tuning run";
    return false;
  }
  LineReader lines(text);
  std::string_view line;
  if (!lines.Next(line) || line != kRunFileHeader) {
    error = "this is not a tuning run file";
    return false;
  }
  auto damaged = [&error, &lines](std::string_view what) {
    error = "the file is damaged (line " + std::to_string(lines.Number()) + ": " +
            std::string(what) + ")";
    return false;
  };
  if (!lines.Next(line) || line.substr(0, 8) != "version=") return damaged("no version");
  const auto version = ParseInteger(line.substr(8));
  if (!version || *version < 1) return damaged("no version");
  if (*version > kRunFileVersion) {
    error = "the run was written in a newer layout (" + std::to_string(*version) +
            ") than this program reads";
    return false;
  }

  bool haveTime = false, haveType = false, haveMotor = false, haveMove = false;
  bool ended = false;
  while (lines.Next(line)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return damaged("a line without a value");
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "end") {
      const auto count = ParseInteger(value);
      if (!count || *count != static_cast<long long>(run.series.size()))
        return damaged("the series count does not match");
      ended = true;
      break;
    }
    if (key == "series") {
      if (!haveMove) return damaged("a series before the move");
      if (run.series.size() >= static_cast<std::size_t>(series::kMaxSeriesCount))
        return damaged("too many series");
      RunSeries s;
      s.title = std::string(value.substr(0, series::kTitleLimit));
      if (!lines.Next(line) || line.substr(0, 14) != "series.period=")
        return damaged("a series without its period");
      const auto period = ParseDouble(line.substr(14));
      if (!period) return damaged("a series period that is not a number");
      s.period = *period;
      if (!lines.Next(line) || line.substr(0, 15) != "series.samples=")
        return damaged("a series without its length");
      const auto samples = ParseInteger(line.substr(15));
      // Each sample takes a line of at least two bytes: a count beyond that is a lie.
      if (!samples || *samples < 0 || *samples > series::kMaxSampleCount ||
          static_cast<std::size_t>(*samples) > lines.Left() / 2 + 1)
        return damaged("a series length the file does not hold");
      s.values.reserve(static_cast<std::size_t>(*samples));
      for (long long k = 0; k < *samples; ++k) {
        if (!lines.Next(line)) return damaged("the file ends within a series");
        const auto sample = ParseDouble(line);
        if (!sample) return damaged("a sample that is not a number");
        s.values.push_back(*sample);
      }
      run.series.push_back(std::move(s));
      continue;
    }
    if (!run.series.empty()) return damaged("a setting after the series");
    if (key == "time") {
      const auto t = ParseIsoTime(value);
      if (!t) return damaged("a time that cannot be read");
      run.timeMs = *t;
      haveTime = true;
    } else if (key == "type") {
      const auto code = ParseInteger(value);
      if (!code || *code < 1 || *code > 6) return damaged("an unknown controller type");
      run.typeCode = static_cast<int>(*code);
      haveType = true;
    } else if (key == "type.name") {
      run.typeName = std::string(value.substr(0, 64));
    } else if (key == "device") {
      run.device = std::string(value.substr(0, 200));
    } else if (key == "motor") {
      const auto motor = ParseInteger(value);
      if (!motor || *motor < 1 || *motor > 32) return damaged("a motor outside 1 to 32");
      run.motor = static_cast<int>(*motor);
      haveMotor = true;
    } else if (key == "gather.period") {
      const auto period = ParseInteger(value);
      if (!period || *period < 1 || *period > 65535)
        return damaged("a gather period outside 1 to 65535 servo cycles");
      run.gatherPeriod = static_cast<int>(*period);
    } else if (key == "move") {
      const auto kind = KindNamed(value);
      if (!kind) return damaged("an unknown move");
      run.kind = *kind;
      haveMove = true;
    } else if (key.substr(0, 5) == "move.") {
      if (!haveMove) return damaged("a move parameter before the move");
      const ParameterField field = FieldOf(run.kind, key.substr(5), run.parameters);
      const auto number = ParseDouble(value);
      if (!number || (!field.whole && !field.real)) return damaged("an unknown move parameter");
      if (field.whole) {
        const auto whole = ParseInteger(value);
        if (!whole || *whole < -2147483647LL || *whole > 2147483647LL)
          return damaged("a move parameter that is not a whole number");
        *field.whole = static_cast<int>(*whole);
      } else {
        *field.real = static_cast<float>(*number);
      }
    } else if (key.substr(0, 7) == "metric.") {
      const auto number = ParseDouble(value);
      if (!number) return damaged("a metric that is not a number");
      if (!run.metrics) run.metrics.emplace();
      for (const MetricField& f : kMetricFields) {
        if (key.substr(7) != f.name) continue;
        if (f.plain)
          (*run.metrics).*f.plain = *number;
        else
          (*run.metrics).*f.optional = *number;
      }
    } else if (key.size() > 1 && key[0] == 'I') {
      if (!haveMotor) return damaged("an I-variable before the motor");
      const auto variable = ParseInteger(key.substr(1));
      const auto number = ParseDouble(value);
      if (!variable || *variable / 100 != run.motor || *variable < 100)
        return damaged("an I-variable of another motor");
      if (!number) return damaged("an I-variable that is not a number");
      run.variables[static_cast<std::size_t>(*variable % 100)] = *number;
    }
    // Other settings are left for a later program of the same layout.
  }
  if (!ended) return damaged("the file ends before its last line");
  if (!haveTime || !haveType || !haveMotor || !haveMove)
    return damaged("the time, controller, motor or move is missing");
  if (run.typeName.empty()) run.typeName = ControllerTypeInfoFor(run.typeCode).displayName;
  return true;
}

std::array<std::optional<double>, kMotorVariableCount> ReadMotorVariables(PmacLink& link,
                                                                          int motor) {
  std::array<std::optional<double>, kMotorVariableCount> values{};
  if (link.PmacDevice() < 0) return values;
  const int first = motor * 100;
  std::string reply;
  link.PmacCommand(reply, kVariablesReplySize, platform::Format("I%d..%d", first, first + 99),
                   false);
  std::string_view rest(reply);
  if (const std::size_t ack = rest.find(kAck); ack != std::string_view::npos)
    rest = rest.substr(0, ack);
  std::vector<double> numbers;
  bool understood = rest.find(kBell) == std::string_view::npos;
  while (understood && !rest.empty()) {
    const std::size_t start = rest.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) break;
    rest = rest.substr(start);
    const std::string_view token = rest.substr(0, rest.find_first_of(" \t\r\n"));
    rest = rest.substr(token.size());
    std::optional<double> number;
    if (token.size() > 1 && token[0] == '$') {
      unsigned long long hex = 0;
      const auto [end, ec] =
          std::from_chars(token.data() + 1, token.data() + token.size(), hex, 16);
      if (ec == std::errc() && end == token.data() + token.size())
        number = static_cast<double>(hex);
    } else {
      number = ParseDouble(token);
    }
    if (!number)
      understood = false;
    else
      numbers.push_back(*number);
  }
  if (understood && numbers.size() == values.size()) {
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = numbers[k];
    return values;
  }
  // A controller that does not take the range is asked variable by variable.
  for (int suffix = 0; suffix < kMotorVariableCount; ++suffix) {
    double value = 0;
    if (link.PmacValue(ValueKind::I, first + suffix, value, AccessMode::Read) == 0)
      values[static_cast<std::size_t>(suffix)] = value;
  }
  return values;
}

// ---- The runs on disk ----

TuningHistory::TuningHistory(std::string folder, int keep)
    : folder_(std::move(folder)), keep_(std::max(1, keep)) {}

std::string TuningHistory::MotorFolder(int typeCode, int motor) const {
  return (fs::path(folder_) / ShortNameOf(typeCode) / ("motor" + std::to_string(motor))).string();
}

std::string TuningHistory::RunPath(int typeCode, int motor, const std::string& id) const {
  return (fs::path(MotorFolder(typeCode, motor)) / (id + std::string(kRunFileExtension))).string();
}

bool TuningHistory::Save(TuningRun& run, std::string& error) {
  const std::string folder = MotorFolder(run.typeCode, run.motor);
  std::error_code fsError;
  fs::create_directories(folder, fsError);
  if (fsError) {
    error = "The tuning history folder " + folder + " cannot be made: " + fsError.message();
    return false;
  }
  // Two runs within one millisecond still get a file each.
  const std::string base = IdOf(run.timeMs);
  run.id = base;
  for (int n = 2; fs::exists(RunPath(run.typeCode, run.motor, run.id), fsError); ++n)
    run.id = base + "-" + std::to_string(n);
  if (!platform::WriteFileAtomically(RunPath(run.typeCode, run.motor, run.id), RunFileText(run),
                                     error))
    return false;
  Prune(run.typeCode, run.motor);
  return true;
}

void TuningHistory::Prune(int typeCode, int motor) const {
  const std::vector<std::string> ids = RunIds(MotorFolder(typeCode, motor));
  std::error_code error;
  for (std::size_t k = static_cast<std::size_t>(keep_); k < ids.size(); ++k)
    fs::remove(RunPath(typeCode, motor, ids[k]), error);
}

void TuningHistory::ListFolder(const std::string& folder, int typeCode, Listing& listing) const {
  for (const std::string& id : RunIds(folder)) {
    const std::string path = (fs::path(folder) / (id + std::string(kRunFileExtension))).string();
    TuningRun run;
    std::string error;
    if (!LoadRunFile(path, typeCode, run, error)) {
      listing.problems.push_back(error);
      continue;
    }
    // A list shows what the runs were, not their data.
    for (RunSeries& s : run.series) s.values = {};
    run.id = id;
    listing.runs.push_back(std::move(run));
  }
}

TuningHistory::Listing TuningHistory::List(int typeCode, int motor) const {
  Listing listing;
  ListFolder(MotorFolder(typeCode, motor), typeCode, listing);
  return listing;
}

TuningHistory::Listing TuningHistory::ListAll() const {
  Listing listing;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const int typeCode = TypeCodeOfFolder(it->path().filename().string());
    if (typeCode == 0) continue;
    for (int motor = 1; motor <= 32; ++motor)
      ListFolder(MotorFolder(typeCode, motor), typeCode, listing);
  }
  std::stable_sort(listing.runs.begin(), listing.runs.end(),
                   [](const TuningRun& a, const TuningRun& b) { return a.id > b.id; });
  return listing;
}

bool TuningHistory::Load(int typeCode, int motor, const std::string& id, TuningRun& run,
                         std::string& error) const {
  if (!SafeId(id)) {
    error = "There is no tuning run \"" + id + "\".";
    return false;
  }
  if (!LoadRunFile(RunPath(typeCode, motor, id), typeCode, run, error)) return false;
  run.id = id;
  return true;
}

bool TuningHistory::Remove(int typeCode, int motor, const std::string& id,
                           std::string& error) const {
  std::error_code fsError;
  if (!SafeId(id) || !fs::remove(RunPath(typeCode, motor, id), fsError)) {
    error = "The tuning run " + id + " cannot be deleted" +
            (fsError ? ": " + fsError.message() : std::string(": it is not there"));
    return false;
  }
  return true;
}

bool LoadRunFile(const std::string& path, int typeCode, TuningRun& run, std::string& error) {
  std::string bytes;
  bool tooLong = false;
  if (!platform::ReadFileBounded(path, kMaxRunFileBytes, bytes, tooLong, error)) return false;
  const std::string name = fs::path(path).filename().string();
  if (tooLong) {
    error = name + ": the file is too large for a tuning run";
    return false;
  }
  if (!ParseRunFile(bytes, run, error)) {
    error = name + ": " + error;
    return false;
  }
  if (typeCode > 0 && run.typeCode != typeCode) {
    error = name + ": the run was made on a " + run.typeName + ", not on a " +
            ControllerTypeInfoFor(typeCode).displayName;
    return false;
  }
  run.id = fs::path(path).stem().string();
  return true;
}

std::string RunReference(const TuningRun& run) {
  return ShortNameOf(run.typeCode) + "/motor" + std::to_string(run.motor) + "/" + run.id;
}

bool SplitRunReference(std::string_view reference, int& typeCode, int& motor, std::string& id,
                       std::string& error) {
  error = "There is no tuning run \"" + std::string(reference.substr(0, 200)) +
          "\": a run is named CONTROLLER/motorN/ID, as history list shows it.";
  const std::size_t first = reference.find('/');
  if (first == std::string_view::npos) return false;
  const std::size_t second = reference.find('/', first + 1);
  if (second == std::string_view::npos) return false;
  typeCode = TypeCodeOfFolder(reference.substr(0, first));
  const std::string_view motorPart = reference.substr(first + 1, second - first - 1);
  if (typeCode == 0 || motorPart.substr(0, 5) != "motor") return false;
  const auto number = ParseInteger(motorPart.substr(5));
  if (!number || *number < 1 || *number > 32) return false;
  motor = static_cast<int>(*number);
  id = std::string(reference.substr(second + 1));
  if (!SafeId(id)) return false;
  error.clear();
  return true;
}

std::string DefaultHistoryFolder() {
  return (fs::path(platform::DataFolder()) / "history").string();
}

// ---- Recording ----

void TuningRecorder::Begin(const TestMoveContext& c, TestMoveKind kind, const TestMoveParameters& p,
                           int motor) {
  TuningRun run;
  run.typeCode = std::clamp(c.type.typeCode.load(), 1, 6);
  run.typeName = c.type.displayName;
  const int device = c.link.PmacDevice();
  if (device >= 0) run.device = "device " + std::to_string(device);
  run.motor = motor;
  run.kind = kind;
  run.parameters = p;
  run.gatherPeriod = std::max(1, c.gather.period);
  run.variables = ReadMotorVariables(c.link, motor);
  pending_ = std::move(run);
}

bool TuningRecorder::Finish(const series::SeriesTable& table, std::int64_t timeMs,
                            std::string& error) {
  if (!pending_) {
    error = "No test move was waiting for its data.";
    return false;
  }
  TuningRun run = std::move(*pending_);
  pending_.reset();
  run.timeMs = timeMs;
  auto take = [&run, &table](int k) {
    const series::DataSeries& s = table[k];
    run.series.push_back({s.title, s.rawDataPeriod, s.values});
  };
  take(1);
  take(2);
  const int count = std::clamp(table.seriesCount, 2, series::kMaxSeriesCount);
  for (int k = 3; k <= count; ++k)
    if (table[k].active && table[k].sampleCount > 0) take(k);
  if (run.kind != TestMoveKind::kSineSweep) {
    std::string why;
    run.metrics =
        series::MeasureStep(table[1].values, table[2].values, table[1].rawDataPeriod, why);
    if (run.metrics) run.metrics->notes.clear();
  }
  if (!history_.Save(run, error)) return false;
  lastSaved_ = RunReference(run);
  return true;
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace bl::tuning
