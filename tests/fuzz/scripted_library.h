#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>
#include <vector>

#include "link/vendor_library.h"

namespace bl::fuzz {

// A controller whose every reply is taken from the fuzzer's bytes: what it was asked, in order,
// and where its replies come from.
struct Script {
  Script(FuzzedDataProvider& d, std::size_t longest) : data(d), longestReply(longest) {}
  FuzzedDataProvider& data;
  std::size_t longestReply;
  std::vector<std::string> commands;
};

class ScriptedLibrary final : public VendorLibrary {
 public:
  explicit ScriptedLibrary(Script& script) : script_(script) {}
  int PmacSelect(void*) override { return 0; }
  bool OpenPmacDevice(int) override { return true; }
  bool ClosePmacDevice(int) override { return true; }
  std::string PmacGetResponseA(int, std::string_view command, std::size_t) override {
    script_.commands.emplace_back(command);
    return script_.data.ConsumeRandomLengthString(script_.longestReply);
  }
  double PmacGetVariableDouble(int, char, int, double fallback) override { return fallback; }
  int PmacDownloadA(int, const MessageCallback&, const ProgressCallback&, const std::string&, int,
                    int, int, int) override {
    return 1;
  }
  void PmacAbortDownload(int) override {}
  bool PmacInBootStrapMode(int) override { return false; }

 private:
  Script& script_;
};

}  // namespace bl::fuzz
