#pragma once

namespace sim {

// Error numbers of the controller (the nnn of "ERRnnn").
inline constexpr int kErrUnrecognized = 3;  // unrecognized command or data error
inline constexpr int kErrNoBufferOpen = 5;  // a program statement or CLEAR with no buffer open
inline constexpr int kErrBufferFull = 6;    // no room in program memory
inline constexpr int kErrBufferInUse = 7;   // OPEN while a buffer is open
inline constexpr int kErrStructure = 9;     // unmatched IF/ELSE/ENDIF or WHILE/ENDWHILE

}  // namespace sim
