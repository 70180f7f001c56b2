#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "sim/command_interpreter.h"
#include "sim/plant.h"

namespace sim {

class Machine;

// A software PMAC of one of the six types (1 PMAC1, 2 PMAC2, 3 PMAC2 Ultralite, 4 Turbo PMAC1,
// 5 Turbo PMAC2, 6 Turbo PMAC2 Ultralite; other codes are clamped into 1..6). It answers command
// lines exactly as a real controller does over Ethernet and keeps its own servo time.
// Thread-safe: every call takes one internal mutex.
class Controller {
 public:
  explicit Controller(int typeCode = 5);
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  int TypeCode() const;

  // One command line (no CR): each reply line ended by CR, the whole ended by ACK (0x06); an
  // error gives BEL "ERRnnn" CR (in the form I6 chooses) and no ACK.
  std::string Respond(std::string_view line);
  // The same, with the number of the error that ended the line (0 when none).
  Reply Execute(std::string_view line);
  // A control character 1..26 sent on its own: its report (same framing) or just ACK.
  std::string RespondControl(char c);

  // Steps whole servo cycles of I10/8388608 ms each and keeps the remainder for the next call;
  // at most 65536 cycles a call, the rest of a longer time is dropped.
  void Advance(std::chrono::nanoseconds elapsed);

  // The mechanics a motor drives (plant.h): false, and nothing changed, for a motor number
  // outside 1..motors or settings CheckPlantSettings refuses.
  bool SetPlant(int motor, const PlantSettings& settings);
  // Restarts the encoders' noise: the same seed gives the same run.
  void SeedPlantNoise(std::uint64_t seed);

  bool InBootstrap() const;
  void SetBootstrap(bool on);

  // Direct memory access (24-bit words). Addresses outside memory read 0; writes there are
  // ignored.
  std::uint32_t ReadX(std::uint32_t address) const;
  std::uint32_t ReadY(std::uint32_t address) const;
  std::uint32_t ReadP(std::uint32_t address) const;
  void WriteX(std::uint32_t address, std::uint32_t word);
  void WriteY(std::uint32_t address, std::uint32_t word);
  void WriteP(std::uint32_t address, std::uint32_t word);

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<Machine> machine_;
  // Time not yet spent on a whole servo cycle, in 1/8388608 ns.
  std::int64_t pendingTime_ = 0;
};

}  // namespace sim
