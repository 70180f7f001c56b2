#pragma once

#include <string>

#include "link/vendor_library.h"

// The C interface a vendor library exports under the eight names. Texts are NUL-terminated
// ASCII; booleans are int (nonzero true). The callbacks carry no user data.
extern "C" {
// One line of download messages; the second argument is ignored.
typedef int (*PmacDownloadMessageProc)(const char* text, int newLine);
// A line source for downloads; the program always passes null.
typedef int (*PmacDownloadGetLineProc)(int index, char* buffer, int maxChars);
// The download's progress in percent, 0..100.
typedef void (*PmacDownloadProgressProc)(int percent);

typedef int (*PmacSelectProc)(void* parentWindow);
typedef int (*OpenPmacDeviceProc)(int device);
typedef int (*ClosePmacDeviceProc)(int device);
// Fills response with at most maxChars characters including the terminating NUL.
typedef int (*PmacGetResponseAProc)(int device, char* response, int maxChars, const char* command);
typedef double (*PmacGetVariableDoubleProc)(int device, char type, int number, double fallback);
typedef int (*PmacDownloadAProc)(int device, PmacDownloadMessageProc message,
                                 PmacDownloadGetLineProc getLine, PmacDownloadProgressProc progress,
                                 const char* path, int macro, int map, int log, int download);
typedef void (*PmacAbortDownloadProc)(int device);
typedef int (*PmacInBootStrapModeProc)(int device);
}

namespace bl {

// The file names tried, first to last.
inline constexpr const char* kVendorLibraryNames[] = {"libPComm32W.so", "libPComm32.so"};

// Loads the vendor library from folder (the normal library search path when folder is empty):
// the first file name, else the second; then binds the eight entry points by name, in order, and
// unloads the library again when any of them is missing.
LibraryLoad LoadDynamicVendorLibrary(const std::string& folder);

// A loader for PmacLink that loads from folder on every connection.
VendorLibraryLoader DynamicVendorLibraryLoader(std::string folder);

}  // namespace bl
