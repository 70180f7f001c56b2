// A stand-in for the vendor's communication library with its C interface: one device (1, or
// BL_STANDIN_DEVICE), commands are answered with an echo, and a download reports two steps. Built
// without PmacAbortDownload to stand for a library that lacks an entry point.
#include <atomic>
#include <cstdio>

#include "link/dynamic_vendor_library.h"

#ifndef BL_STANDIN_DEVICE
#define BL_STANDIN_DEVICE 1
#endif

namespace {
std::atomic<bool> gAbort{false};
}

extern "C" {

__attribute__((visibility("default"))) int PmacSelect(void*) { return BL_STANDIN_DEVICE; }
__attribute__((visibility("default"))) int OpenPmacDevice(int device) {
  return device == BL_STANDIN_DEVICE;
}
__attribute__((visibility("default"))) int ClosePmacDevice(int) { return 1; }

__attribute__((visibility("default"))) int PmacGetResponseA(int device, char* response,
                                                            int maxChars, const char* command) {
  const int n = std::snprintf(response, static_cast<std::size_t>(maxChars), "ECHO%d:%s\r\x06",
                              device, command);
  return n;
}

__attribute__((visibility("default"))) double PmacGetVariableDouble(int, char, int,
                                                                    double fallback) {
  return fallback;
}

__attribute__((visibility("default"))) int PmacDownloadA(int, PmacDownloadMessageProc message,
                                                         PmacDownloadGetLineProc getLine,
                                                         PmacDownloadProgressProc progress,
                                                         const char* path, int, int, int, int) {
  if (getLine != nullptr) return 0;
  gAbort = false;
  char line[300];
  std::snprintf(line, sizeof line, "Downloading %s", path);
  message(line, 1);
  progress(50);
  if (gAbort) return 0;
  message("Done", 1);
  progress(100);
  return 1;
}

#ifndef BL_STANDIN_WITHOUT_ABORT
__attribute__((visibility("default"))) void PmacAbortDownload(int) { gAbort = true; }
#endif

__attribute__((visibility("default"))) int PmacInBootStrapMode(int) { return 0; }
}
