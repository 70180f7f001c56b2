#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "controller/controller_type.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_loader.h"
#include "diagnostics/script_source.h"
#include "platform/fake/fake_desktop.h"

namespace bl::diagnostics::test {

namespace fs = std::filesystem;

// Tables from script source; the test fails when it does not compile.
inline DiagnosticTables Compiled(std::string_view source) {
  DiagnosticTables tables;
  std::string error;
  EXPECT_TRUE(CompileScriptSource(source, "test.diag", tables, error)) << error;
  return tables;
}

// A fresh folder per test with a Diagnostics folder in it, a Turbo PMAC2 and a scripted desktop.
class ScriptFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("bl-diagnostics-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "Diagnostics");
    SetTypeFromTable(type, 5);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Path(const std::string& name) const { return (folder / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  void WriteScript(const std::string& name, std::string_view source) const {
    Write(name, EncodeScript(Compiled(source)));
  }

  fs::path folder;
  ControllerType type;
  platform::FakeDesktop desktop;
  int shown = 0;
  ScriptLoadContext context{desktop, type,
                            [this](const std::string& relative) {
                              std::string path = relative;
                              for (char& c : path)
                                if (c == '\\') c = '/';
                              return folder.string() + path;
                            },
                            [this] { ++shown; }};
  DiagnosticScript script;
};

}  // namespace bl::diagnostics::test
