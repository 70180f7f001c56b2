// The status listings' replies as a hostile controller might send them: a motion-program
// directory that never ends, numbers that do not parse or overflow, axis definitions that are
// overlong or hold NULs. The input: the type code, the coordinate system, then the replies in
// the order the reports ask for them (an exhausted input answers nothing).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "tools/status_listings.h"

using namespace bl;
using namespace bl::tools;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int typeCode = data.ConsumeIntegralInRange(0, 7);
  const int coordinateSystem = data.ConsumeIntegralInRange(0, 16);
  const ListingExchange exchange = [&data](const std::string&) {
    return data.ConsumeRandomLengthString(400);
  };
  const bool known = typeCode >= 1 && typeCode <= 6;

  const auto programs = ProgramStatusLines(typeCode, exchange);
  BL_FUZZ_CHECK(programs.has_value() == known);
  if (programs) {
    BL_FUZZ_CHECK(programs->size() >= 4 && programs->size() <= 4 + kMaxDirectoryEntries);
    for (std::size_t i = 3; i + 1 < programs->size(); ++i)
      BL_FUZZ_CHECK((*programs)[i].text.size() <= 40);
    BL_FUZZ_CHECK(programs->back().text == "Finished");
  }

  const auto axes = AxisDefinitionLines(typeCode, coordinateSystem, exchange);
  BL_FUZZ_CHECK(axes.has_value() == known);
  if (axes) {
    BL_FUZZ_CHECK(axes->size() == (typeCode >= 4 ? 16u : 8u) + 3);
    for (std::size_t i = 2; i + 1 < axes->size(); ++i) {
      const std::string& text = (*axes)[i].text;
      BL_FUZZ_CHECK(text.size() <= 5 + 245);
      BL_FUZZ_CHECK(text.find_first_of(std::string("\0\x06\r", 3), 4) == std::string::npos);
    }
  }
  return 0;
}
