// "#include" lines as a project lists them: the named file goes into "Program Files" once, under
// the opened file's folder, never longer than a path may be; the status says why nothing was
// added; the definition categories stay as they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "editor/file_list.h"
#include "editor/program_file.h"
#include "fuzz/fuzz_check.h"

namespace {

using namespace bl::editor;

// What the status must be, from the quotes alone.
int ExpectedStatus(const std::string& line) {
  const std::size_t open = line.find('"');
  if (open == std::string::npos) return kIncludeNoQuote;
  const std::size_t close = line.find('"', open + 1);
  if (close == std::string::npos) return kIncludeNoClosingQuote;
  if (close == open + 1) return kIncludeEmptyName;
  return -1;  // added, or too long
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  FileList list;
  int changes = 0;
  list.changed = [&] { ++changes; };
  const FileList initial;
  const std::string currentFile = data.ConsumeRandomLengthString(300);
  for (int step = 0; step < 64 && data.remaining_bytes() > 0; ++step) {
    if (data.ConsumeIntegralInRange(0, 7) == 0) {
      ClearFileList(list);
      BL_FUZZ_CHECK(list.roots[kProgramFilesRoot].children.empty());
      continue;
    }
    const std::string line = data.ConsumeRandomLengthString(300);
    const std::size_t before = list.roots[kProgramFilesRoot].children.size();
    const int changesBefore = changes;
    const int status = AddIncludedFile(list, line, currentFile);
    const auto& files = list.roots[kProgramFilesRoot].children;
    const int expected = ExpectedStatus(line);
    if (expected >= 0) {
      BL_FUZZ_CHECK(status == expected);
    } else {
      BL_FUZZ_CHECK(status == kIncludeAdded || status == kIncludePathTooLong);
    }
    if (status != kIncludeAdded) {
      BL_FUZZ_CHECK(files.size() == before && changes == changesBefore);
      continue;
    }
    // The name is listed (once), after the folder of the opened file unless it starts at the
    // root, with either separator taken as '/'.
    const std::size_t open = line.find('"');
    std::string name = line.substr(open + 1, line.find('"', open + 1) - open - 1);
    std::replace(name.begin(), name.end(), '\\', '/');
    BL_FUZZ_CHECK(files.size() == before || files.size() == before + 1);
    const bool found = std::any_of(files.begin(), files.end(), [&](const std::string& f) {
      return f.size() >= name.size() && f.compare(f.size() - name.size(), name.size(), name) == 0;
    });
    BL_FUZZ_CHECK(found);
  }
  const auto& files = list.roots[kProgramFilesRoot].children;
  BL_FUZZ_CHECK(std::set<std::string>(files.begin(), files.end()).size() == files.size());
  for (const std::string& f : files) BL_FUZZ_CHECK(!f.empty() && f.size() <= kMaxPathLength);
  BL_FUZZ_CHECK(list.roots.size() == 2);
  BL_FUZZ_CHECK(list.roots[kVariableDefinitionsRoot].children ==
                initial.roots[kVariableDefinitionsRoot].children);
  return 0;
}
