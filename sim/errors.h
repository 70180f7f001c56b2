#pragma once

namespace sim {

// Error numbers of the controller (the nnn of "ERRnnn").
inline constexpr int kErrProgramRunning = 1;  // not allowed while a motion program runs
inline constexpr int kErrUnrecognized = 3;    // unrecognized command or data error
inline constexpr int kErrNoBufferOpen = 5;    // a program statement or CLEAR with no buffer open
inline constexpr int kErrBufferFull = 6;      // no room in program memory
inline constexpr int kErrBufferInUse = 7;     // OPEN while a buffer is open
inline constexpr int kErrStructure = 9;       // unmatched IF/ELSE/ENDIF or WHILE/ENDWHILE
inline constexpr int kErrOpenLoop = 12;       // R with a motor of the system killed or open
inline constexpr int kErrNotActivated = 13;   // R with a motor of the system not activated
inline constexpr int kErrNoMotors = 14;       // R in a system without motors
inline constexpr int kErrNoProgram = 15;      // R with no valid program pointed to

}  // namespace sim
