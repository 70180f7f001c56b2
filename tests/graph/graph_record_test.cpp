#include "graph/graph_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "graph/graph_input.h"

namespace bl::graph {
namespace {

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
  std::int32_t v = 0;
  for (int b = 3; b >= 0; --b)
    v = static_cast<std::int32_t>((static_cast<std::uint32_t>(v) << 8) |
                                  static_cast<unsigned char>(bytes[at + b]));
  return v;
}

double DoubleAt(const std::string& bytes, std::size_t at) {
  double v = 0;
  std::memcpy(&v, bytes.data() + at, 8);  // the test machine is little-endian
  return v;
}

// Every field away from its default.
GraphSettings Unusual() {
  GraphSettings s;
  s.topTitle = "Top";
  s.bottomTitle = std::string(300, 'b');
  s.leftTitle = "";
  s.rightTitle2 = "R2 \xe9";
  for (int i = 0; i < kSlotCount; ++i)
    s.slots[static_cast<std::size_t>(i)] = {i + 5, i + 9, 3 - i, i % 2, 4 - i, 11 - i, i};
  s.bottom = {-1.5, -7.25, 3, -2, 0.5, true};
  for (int a = 0; a < 4; ++a)
    s.axes[static_cast<std::size_t>(a)] = {100.0 + a, -a * 1.0, 50.0 + a, 1.0 + a, a * 0.1, a == 2};
  s.graphType = 2;
  return s;
}

TEST(GraphRecord, FieldsLieWhereTheLayoutPutsThem) {
  const GraphSettings s = Unusual();
  const std::string bytes = EncodeGraphRecord(s);
  ASSERT_EQ(bytes.size(), kGraphRecordSize);
  EXPECT_STREQ(bytes.data(), "Top");
  EXPECT_EQ(bytes.substr(256, 255), std::string(255, 'b'));
  EXPECT_EQ(bytes[511], '\0');
  EXPECT_EQ(Int32At(bytes, 1536), 5);        // series of slot 1
  EXPECT_EQ(Int32At(bytes, 1552 + 12), 12);  // second series of slot 4
  EXPECT_EQ(Int32At(bytes, 1632 + 8), 2);    // thickness of slot 3
  EXPECT_EQ(DoubleAt(bytes, 1648), -1.5);
  EXPECT_EQ(DoubleAt(bytes, 1688 + 8), 101);  // maximum of Left 2
  EXPECT_EQ(DoubleAt(bytes, 1816 + 24), 0.30000000000000004);
  EXPECT_EQ(bytes.substr(1848, 8), std::string("\1\0\0\1\0\0\0\0", 8));
  EXPECT_EQ(Int32At(bytes, 1856), 2);
}

TEST(GraphRecord, DecodesWhatWasEncodedAndRefusesAShortRecord) {
  GraphSettings expected = Unusual();
  expected.bottomTitle.resize(kRecordTitleLimit);
  GraphSettings read;
  ASSERT_TRUE(DecodeGraphRecord(EncodeGraphRecord(Unusual()), read));
  EXPECT_EQ(EncodeGraphRecord(read), EncodeGraphRecord(expected));
  EXPECT_EQ(read.slots[3].color, 8);

  // A title field without its NUL reads as its first 255 characters; any other flag byte is set.
  std::string hostile = EncodeGraphRecord(GraphSettings());
  std::memset(hostile.data(), 'x', 256);
  hostile[1849] = '\x7f';
  ASSERT_TRUE(DecodeGraphRecord(hostile, read));
  EXPECT_EQ(read.topTitle, std::string(255, 'x'));
  EXPECT_TRUE(read.axes[kLeft].gridLines);

  GraphSettings untouched = Unusual();
  EXPECT_FALSE(DecodeGraphRecord(hostile.substr(0, kGraphRecordSize - 1), untouched));
  EXPECT_EQ(untouched.topTitle, "Top");
}

class GraphLibraryTest : public ::testing::Test {
 protected:
  GraphLibraryTest() {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  const std::filesystem::path folder =
      std::filesystem::path(BL_TEST_OUTPUT_DIR) / "graph_library_test";
  const std::string path = (folder / "graphs.bin").string();
};

TEST_F(GraphLibraryTest, SavedLibraryLoadsBackAndAMissingOneChangesNothing) {
  GraphView view;
  std::string error;
  ASSERT_TRUE(LoadGraphLibrary(path, view, error)) << error;
  EXPECT_EQ(view.library[9].graphType, kEmptyGraph);

  view.library[3] = Unusual();
  view.settings.topTitle = "Now";
  ASSERT_TRUE(SaveGraphLibrary(path, view, error)) << error;
  EXPECT_EQ(std::filesystem::file_size(path), kGraphLibraryBytes);
  GraphView read;
  ASSERT_TRUE(LoadGraphLibrary(path, read, error)) << error;
  EXPECT_EQ(EncodeGraphLibrary(read), EncodeGraphLibrary(view));
  EXPECT_EQ(read.settings.topTitle, "Now");
  EXPECT_EQ(read.library[0].graphType, kEmptyGraph);
}

TEST_F(GraphLibraryTest, DamagedFileIsRefusedWhole) {
  GraphView view;
  view.library[0].topTitle = "Kept";
  view.library[0].graphType = 1;
  std::string error;
  ASSERT_TRUE(SaveGraphLibrary(path, view, error)) << error;
  const std::string whole = EncodeGraphLibrary(view);

  for (const std::size_t size :
       {std::size_t{100}, kGraphLibraryBytes - 1, kGraphLibraryBytes + 1}) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << whole.substr(0, size) << std::string(size > whole.size() ? 1 : 0, 'x');
    GraphView before;
    before.settings.topTitle = "Untouched";
    error.clear();
    EXPECT_FALSE(LoadGraphLibrary(path, before, error)) << size;
    EXPECT_NE(error.find("graphs.bin"), std::string::npos) << error;
    EXPECT_EQ(before.settings.topTitle, "Untouched");
    EXPECT_EQ(before.library[0].graphType, kEmptyGraph);
  }
}

}  // namespace
}  // namespace bl::graph
