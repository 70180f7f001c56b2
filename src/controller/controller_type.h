#pragma once

#include <atomic>
#include <string>

namespace bl {

// The one record that describes the controller: its kind, counts, base addresses and servo
// period. Type codes 1..3 are the non-Turbo controllers, 4..6 the Turbo ones; 0 before the first
// identification. The monitor thread reads the type code and the end of user memory, so those two
// are atomic.
struct ControllerType {
  std::atomic<int> typeCode{0};
  std::string displayName = "PMAC1";
  std::string shortName = "PMAC1";
  double servoPeriod = 0.00442;  // seconds
  int variableCount = 8192;      // N: M, P, Q and I variables
  int seriesCount = 48;          // data series and gather sources
  int motorCount = 32;
  int mBase = 0;
  int pBase = 0;
  int qBase = 0;
  bool bootstrapOn = false;
  bool reinitializeOn = false;
  std::atomic<int> endOfUserMemory{0x9FFF};

  bool IsTurbo() const { return typeCode.load() >= 4; }
};

// The per-type table.
struct ControllerTypeInfo {
  int code;
  const char* displayName;
  const char* shortName;
  int variableCount;
  int seriesCount;
  int motorCount;
  int mBase;
  int pBase;  // Turbo: the I46 = 0 value; see PAndQBasesForI46
  int qBase;
  int offlineEndOfUserMemory;
};

// Type codes outside 1..6 are brought into range (0 becomes 1, above 6 becomes 6).
const ControllerTypeInfo& ControllerTypeInfoFor(int typeCode);

// Sets the record's code, names, counts and base addresses from the type table (the Turbo P and
// Q bases as for I46 = 0). The servo period and the end of user memory are left alone.
void SetTypeFromTable(ControllerType& type, int typeCode);

// The P and Q bases of a Turbo controller for I46 = 0..3; false for any other value.
bool PAndQBasesForI46(int i46, int& pBase, int& qBase);

// The type that a TYPE reply names by its first characters (PMAC1, PMAC2, PMACUL, TURBO1,
// TURBO2, TURBOU), or 0.
int TypeCodeFromReply(std::string_view reply);

// The window title for a controller: "Brightlantern: Turbo PMAC2", with " (Offline)" when no
// device is open.
std::string ControllerTitle(const ControllerType& type, bool offline);

}  // namespace bl
