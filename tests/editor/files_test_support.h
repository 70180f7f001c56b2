#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "definitions/definition_table.h"
#include "editor/editor_context.h"
#include "editor/editor_state.h"
#include "file_size_limit.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor::test {

namespace fs = std::filesystem;

// A fresh folder per test and an editor context with a scripted desktop.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("bl-editor-files-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Path(const std::string& name) const { return (folder / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path folder;
  EditorState state;
  DefinitionTable definitions;
  bl::Terminal terminal;
  platform::FakeDesktop desktop;
  EditorContext ctx{state, definitions, terminal, desktop};
};

using bl::test::FileSizeLimit;

}  // namespace bl::editor::test
