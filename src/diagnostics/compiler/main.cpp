// brightlantern-diagscript: compiles diagnostic script sources into the binary scripts the
// diagnostic window loads, and turns binary scripts back into sources.
#include <cstdio>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_source.h"
#include "platform/files.h"

namespace {

using namespace bl;

constexpr char kUsage[] =
    "usage: brightlantern-diagscript compile SOURCE OUT.bin\n"
    "       brightlantern-diagscript decompile IN.bin OUT.txt\n";

bool Read(const std::string& path, std::size_t limit, std::string& bytes) {
  std::string error;
  bool tooLong = false;
  if (!platform::ReadFileBounded(path, limit, bytes, tooLong, error)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  if (tooLong) {
    std::fprintf(stderr, "%s: the file is larger than %zu bytes\n", path.c_str(), limit);
    return false;
  }
  return true;
}

bool Write(const std::string& path, std::string_view bytes) {
  std::string error;
  if (platform::WriteFileAtomically(path, bytes, error)) return true;
  std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
  return false;
}

int Compile(const std::string& source, const std::string& out) {
  std::string text;
  if (!Read(source, diagnostics::kMaxScriptSourceBytes, text)) return 1;
  diagnostics::DiagnosticTables tables;
  std::string error;
  if (!diagnostics::CompileScriptSource(text, source, tables, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return Write(out, diagnostics::EncodeScript(tables)) ? 0 : 1;
}

int Decompile(const std::string& in, const std::string& out) {
  std::string bytes;
  if (!Read(in, diagnostics::kMaxScriptFileBytes, bytes)) return 1;
  diagnostics::DiagnosticTables tables;
  switch (diagnostics::DecodeScript(bytes, tables)) {
    case diagnostics::DecodeResult::kBadHeader:
      std::fprintf(stderr, "%s: not a diagnostic script (its header is not \"%s\")\n", in.c_str(),
                   diagnostics::kDiagnosticMagic);
      return 1;
    case diagnostics::DecodeResult::kTruncated:
      std::fprintf(stderr, "%s: the file ends before the records its counts announce\n",
                   in.c_str());
      return 1;
    case diagnostics::DecodeResult::kOk:
      break;
  }
  // Text files are written with CR LF.
  std::string text;
  for (char c : diagnostics::DecompileScript(tables)) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return Write(out, text) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "compile") return Compile(argv[2], argv[3]);
  if (argc == 4 && std::string_view(argv[1]) == "decompile") return Decompile(argv[2], argv[3]);
  std::fputs(kUsage, stderr);
  return 2;
}
