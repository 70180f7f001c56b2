// The download preprocessor over a program file and two files it may include (inc.pmc beside it,
// sub/deep.pmc below it), all three written from the input. Every prepared line must be one the
// controller can take; a plain program (no directives, comments or quotes) must come out as its
// own lines with the blanks collapsed.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/builtin_download.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
  static const fs::path folder = [] {
    // Memory-backed when the machine has it: the files are rewritten for every input.
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path f = base / ("bl_download_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(f / "sub");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(Folder(), ec);
    });
    return f;
  }();
  return folder;
}

void Write(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The lines getline gives, each up to its first NUL, one trailing CR dropped, cut to 255
// characters, runs of blanks made one and a leading blank dropped; blank lines left out.
std::vector<bl::DownloadLine> PlainLines(std::string_view text) {
  std::vector<bl::DownloadLine> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view raw = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    ++number;
    raw = raw.substr(0, raw.find('\0'));
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    raw = raw.substr(0, 255);
    std::string line;
    for (char c : raw)
      if (!(c == ' ' && !line.empty() && line.back() == ' ')) line += c;
    if (!line.empty() && line.front() == ' ') line.erase(0, 1);
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    lines.push_back({line, "main.pmc", number});
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const std::string main = data.ConsumeRandomLengthString(size);
  const std::string included = data.ConsumeRandomLengthString(size);
  const std::string deep = data.ConsumeRemainingBytesAsString();
  const fs::path& folder = Folder();
  Write(folder / "main.pmc", main);
  Write(folder / "inc.pmc", included);
  Write(folder / "sub" / "deep.pmc", deep);

  const bl::PreparedDownload prepared = bl::PrepareDownload((folder / "main.pmc").string());
  BL_FUZZ_CHECK(prepared.opened);
  for (const bl::DownloadLine& line : prepared.lines) {
    BL_FUZZ_CHECK(line.text.size() <= 255);
    BL_FUZZ_CHECK(line.text.find('\n') == std::string::npos);
    BL_FUZZ_CHECK(line.text.find('\0') == std::string::npos);
    BL_FUZZ_CHECK(line.text.find_first_not_of(' ') != std::string::npos);
    BL_FUZZ_CHECK(line.lineNumber >= 1);
    BL_FUZZ_CHECK(!line.file.empty());
  }

  if (main.find_first_of("#;/\"") == std::string::npos) {
    const std::vector<bl::DownloadLine> expected = PlainLines(main);
    BL_FUZZ_CHECK(prepared.problems.empty());
    BL_FUZZ_CHECK(prepared.lines.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      BL_FUZZ_CHECK(prepared.lines[i].text == expected[i].text);
      BL_FUZZ_CHECK(prepared.lines[i].file == expected[i].file);
      BL_FUZZ_CHECK(prepared.lines[i].lineNumber == expected[i].lineNumber);
    }
  }
  return 0;
}
