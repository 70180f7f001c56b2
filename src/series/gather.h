#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bl {
class PmacLink;
struct ControllerType;
}  // namespace bl

namespace bl::series {

class SeriesTable;
struct DataSeries;

// The gather buffer as the program defines it on the controller.
struct GatherBuffer {
  int period = 10;     // servo cycles between two samples, at least 1
  int bufferSize = 0;  // "DEF GAT" size; 0 takes all available memory
  int mode = 0;        // bit 0 wrap-around, bit 1 gather to dual-ported RAM

  bool WrapAround() const { return (mode & 1) != 0; }
  bool ToDualPortedRam() const { return (mode & 2) != 0; }
};

// The I-variable numbers of the gather definition for a controller type code (1..3 non-Turbo,
// 4..6 Turbo).
struct GatherVariables {
  int mode;         // I45 / I5000
  int firstSource;  // I21 / I5001 holds series 1's source
  int period;       // I19 / I5049
  int firstMask;    // I20 / I5050
  int secondMask;   // none (0) / I5051
};
GatherVariables GatherVariablesFor(int typeCode);

// The source address word of a series: its address plus the memory code of its type; -1 for a
// type without one (5).
long long SourceAddressWord(const DataSeries& series);

// A gather query's reply: hexadecimal after a leading "$", decimal otherwise. False when it
// gives no number.
bool ParseGatherReply(std::string_view reply, long long& value);

// The command lines DefineGather sends, in order. The series covered are 1..seriesCount, held
// to the controller's source variables (24 non-Turbo, 48 Turbo).
std::vector<std::string> DefineGatherCommands(int typeCode, const GatherBuffer& buffer,
                                              const SeriesTable& table);
// Sends the whole definition. Replies are not examined.
void DefineGather(PmacLink& link, const ControllerType& type, const GatherBuffer& buffer,
                  const SeriesTable& table);
// Reads mode, period, masks and source addresses back; a value that cannot be parsed keeps what
// it was.
void ReadGatherSettings(PmacLink& link, const ControllerType& type, GatherBuffer& buffer,
                        SeriesTable& table);
// "GAT" and "END GAT", echoed in the terminal.
void BeginGather(PmacLink& link);
void EndGather(PmacLink& link);

// The gather settings kept between runs in the user's config folder ("gather.conf").
std::string GatherSettingsPath();
std::string GatherSettingsText(const GatherBuffer& buffer, const SeriesTable& table);
// Takes what it understands from the text; the rest keeps its value. The caller reprocesses the
// series afterwards.
void ApplyGatherSettings(std::string_view text, GatherBuffer& buffer, SeriesTable& table);
bool LoadGatherSettings(GatherBuffer& buffer, SeriesTable& table, std::string& error);
bool SaveGatherSettings(const GatherBuffer& buffer, const SeriesTable& table, std::string& error);

}  // namespace bl::series
