// Gather sources named on a command line, for every controller type: a source that is taken
// lies within the controller's memory and has a field the decoding can use.
#include <cstdint>
#include <string_view>

#include "controller/controller_type.h"
#include "fuzz/fuzz_check.h"
#include "series/gather_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int code = 1; code <= 6; ++code) {
    bl::ControllerType type;
    bl::SetTypeFromTable(type, code);
    bl::series::GatherSource source;
    std::string error;
    if (!bl::series::ParseGatherSource(text, type, source, error)) {
      BL_FUZZ_CHECK(!error.empty());
      continue;
    }
    BL_FUZZ_CHECK(source.address <= 0x7FFFF);
    BL_FUZZ_CHECK(source.title.size() <= bl::series::kTitleLimit);
    BL_FUZZ_CHECK(source.startingBit >= 0 && source.wordLength >= 1);
    BL_FUZZ_CHECK(source.wordLength == 48 || source.startingBit + source.wordLength <= 24);
  }
  return 0;
}
