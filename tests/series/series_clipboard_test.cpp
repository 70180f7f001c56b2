#include "series/series_clipboard.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"

namespace bl::series {
namespace {

using platform::FakeDesktop;

// A series with every field away from its default and words that decode to known values.
void MakeSeries(SeriesTable& table, int k, int n) {
  DataSeries& s = table[k];
  s.SetTitle("Motor 1 following error");
  s.active = true;
  s.sourceType = SourceType::kY;
  s.address = 0x840;
  s.startingBit = 4;
  s.wordLength = 16;
  s.signedData = false;
  s.integrationMode = IntegrationMode::kDifferentiateOnce;
  s.scaleFactor = 2.5;
  s.offset = -1.25;
  s.normalizeFilterGain = true;
  s.N1 = 0.5;
  s.D2 = -0.25;
  s.rawDataAddress = 0x1234;
  s.rawDataPeriod = 0.000442;
  s.Resize(n);
  for (int i = 0; i < n; ++i) {
    s.xWords[i] = 0xABC000u + i;
    s.yWords[i] = 0x000100u * i;
  }
  table.ProcessSeries(k, SpectrumLayout::kMagnitudePhase);
}

TEST(SeriesText, RoundTripBetweenTwoTablesKeepsFieldsWordsAndValues) {
  SeriesTable source, target;
  FakeDesktop desktop;
  MakeSeries(source, 3, 5);
  CopySeriesText(source, 3, desktop);
  const std::string& text = desktop.Clipboard();
  EXPECT_TRUE(
      text.starts_with("Brightlantern\r\nVersion:          1.00\r\nData Series:      3\r\n"
                       "Title:            Motor 1 following error\r\nActive:           Yes\r\n"
                       "Type:             2\r\nAddress:          $840\r\n"));
  EXPECT_NE(text.find("Scale Factor:     2.500000\r\n"), std::string::npos);
  EXPECT_NE(text.find("Raw Data Address: $1234\r\nRaw Data Period:  0.000442\r\n"
                      "Raw Data Samples: 5\r\n X-Word  Y-Word\r\n$ABC000 $000000\r\n"),
            std::string::npos);
  EXPECT_TRUE(text.ends_with("$ABC004 $000400\r\n"));

  // Into another number: the number in the text is not used.
  ASSERT_TRUE(PasteSeriesText(target, 7, desktop));
  // Every field and word comes back: the pasted series writes the same text.
  std::string again = SeriesText(target, 7);
  again.replace(again.find("Data Series:      7"), 19, "Data Series:      3");
  EXPECT_EQ(again, text);
  EXPECT_EQ(target[7].values, source[3].values);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST(SeriesText, EmptySeriesIsTheHeaderOnlyAndPastesBackEmpty) {
  SeriesTable source, target;
  FakeDesktop desktop;
  source[2].Resize(0);
  CopySeriesText(source, 2, desktop);
  int lines = 0;
  for (char c : desktop.Clipboard()) lines += c == '\n';
  EXPECT_EQ(lines, 22);
  ASSERT_TRUE(PasteSeriesText(target, 2, desktop));
  EXPECT_EQ(target[2].sampleCount, 0);
  EXPECT_TRUE(target[2].xWords.empty());
}

TEST(SeriesText, RefusedTextsChangeNothing) {
  SeriesTable source;
  MakeSeries(source, 1, 4);
  const std::string good = SeriesText(source, 1);
  auto replace = [&good](std::string_view from, std::string_view to) {
    std::string t = good;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"", kNoTextMessage},
      {"hello world\r\n", kNotSeriesMessage},
      {replace("Version:          1.00", "Version:          2.00"), kNotSeriesMessage},
      // Other spacing after the title has been read: nothing is taken.
      {replace("Active:           Yes", "Active: Yes"), kSeriesNotRetrievedMessage},
      {replace("Type:             2", "Type:             9"), kSeriesNotRetrievedMessage},
      {replace("Scale Factor:     2.500000", "Scale Factor:     nan"), kSeriesNotRetrievedMessage},
      {replace("Raw Data Samples: 4", "Raw Data Samples: 99999999999"), kSeriesNotRetrievedMessage},
      // More samples announced than lines follow.
      {replace("Raw Data Samples: 4", "Raw Data Samples: 5"), kSeriesNotRetrievedMessage},
      {replace("$ABC003 $000300", "$ABC003 $1000000"), kSeriesNotRetrievedMessage},
      {replace("$ABC001", "ABC001!"), kSeriesNotRetrievedMessage},
      {replace("Offset:           -1.250000", "Offset:           " + std::string(2000, '1')),
       kSeriesNotRetrievedMessage},
  };
  for (const Case& c : cases) {
    SeriesTable target;
    FakeDesktop desktop;
    const DataSeries before = target[5];
    desktop.SetClipboardText(c.text);
    EXPECT_FALSE(PasteSeriesText(target, 5, desktop)) << c.text.substr(0, 200);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, c.message);
    // An empty clipboard is the general paste error; any other text the series paste's.
    EXPECT_EQ(desktop.messages[0].title,
              c.text.empty() ? kPasteErrorTitle : kPasteSeriesErrorTitle);
    EXPECT_EQ(target[5].title, before.title);
    EXPECT_EQ(target[5].active, before.active);
    EXPECT_EQ(target[5].xWords, before.xWords);
    EXPECT_EQ(target[5].values, before.values);
  }
}

TEST(SeriesText, WithoutTitleLineKeepsTitleAndBareLineFeedsAreRead) {
  SeriesTable source, target;
  FakeDesktop desktop;
  MakeSeries(source, 1, 2);
  std::string text = SeriesText(source, 1);
  text.replace(text.find("Title:"), 6, "Name: ");
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  desktop.SetClipboardText(lf);
  target[4].SetTitle("kept");
  ASSERT_TRUE(PasteSeriesText(target, 4, desktop));
  EXPECT_EQ(target[4].title, "kept");
  EXPECT_EQ(target[4].xWords, source[1].xWords);
}

TEST(Cells, CopyOrdersCornersAndFillsBeyondTheEnd) {
  SeriesTable table;
  FakeDesktop desktop;
  MakeSeries(table, 2, 3);
  table[3].Resize(1);
  table[3].xWords[0] = 0x1FFFFFF;  // only the low 24 bits are shown
  table[3].yWords[0] = 0xA;
  ASSERT_TRUE(CopyCells(table, 3, 2, 2, 0, desktop));
  EXPECT_EQ(desktop.Clipboard(),
            "$ABC000 $000000   $FFFFFF $00000A\r\n"
            "$ABC001 $000100   $000000 $000000\r\n"
            "$ABC002 $000200   $000000 $000000\r\n");

  EXPECT_FALSE(CopyCells(table, 0, 0, 2, 2, desktop));
  EXPECT_FALSE(CopyCells(table, 1, -1, 2, 2, desktop));
  table.seriesCount = 24;
  EXPECT_FALSE(CopyCells(table, 1, 0, 25, 2, desktop));
  EXPECT_FALSE(CopyCells(table, 1, 0, 24, kMaxSampleCount, desktop));
  ASSERT_EQ(desktop.messages.size(), 4u);
  EXPECT_EQ(desktop.messages[0].text, kInvalidSelectionMessage);
  EXPECT_EQ(desktop.messages[0].title, kCopyErrorTitle);
  EXPECT_EQ(desktop.messages[3].text, kSelectionTooLargeMessage);
}

TEST(Cells, PasteBetweenTablesGrowsSeriesAndReportsTheBlock) {
  SeriesTable source, target;
  FakeDesktop desktop;
  MakeSeries(source, 1, 4);
  MakeSeries(source, 2, 4);
  ASSERT_TRUE(CopyCells(source, 1, 1, 2, 3, desktop));
  target[5].Resize(2);
  target[6].Resize(0);
  PastedCells result;
  ASSERT_TRUE(PasteCells(target, 5, 1, desktop, result));
  EXPECT_EQ(result.lastSeries, 6);
  EXPECT_EQ(result.lastPoint, 3);
  for (int k : {5, 6}) {
    ASSERT_EQ(target[k].sampleCount, 4);
    EXPECT_EQ(target[k].xWords[0], 0u);
    for (int i = 1; i < 4; ++i) {
      EXPECT_EQ(target[k].xWords[i], source[k - 4].xWords[i]);
      EXPECT_EQ(target[k].yWords[i], source[k - 4].yWords[i]);
    }
  }
  // Processed after the paste (L words by default).
  EXPECT_DOUBLE_EQ(target[5].values[2], DecodeL(0xABC001, 0x000100));
  EXPECT_TRUE(desktop.messages.empty());
}

TEST(Cells, PasteAtTheLastSeriesDropsTheSecondColumn) {
  SeriesTable table;
  FakeDesktop desktop;
  table.seriesCount = 24;
  const auto before = table[25].xWords;
  desktop.SetClipboardText("$000001 $000002   $000003 $000004\r\n");
  PastedCells result;
  ASSERT_TRUE(PasteCells(table, 24, 0, desktop, result));
  EXPECT_EQ(result.lastSeries, 24);
  EXPECT_EQ(table[24].xWords[0], 1u);
  EXPECT_EQ(table[24].yWords[0], 2u);
  EXPECT_EQ(table[25].xWords, before);
}

TEST(Cells, ForeignOrOversizedTextIsRefusedWithoutChange) {
  const std::string cases[] = {"", "no dollars here\r\n", "$12 $\r\n", "$1000000 $0\r\n",
                               "$xyz\r\n"};
  for (const std::string& text : cases) {
    SeriesTable table;
    FakeDesktop desktop;
    const auto before = table[1].xWords;
    desktop.SetClipboardText(text);
    PastedCells result;
    EXPECT_FALSE(PasteCells(table, 1, 0, desktop, result)) << text;
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, kPasteErrorTitle);
    EXPECT_EQ(table[1].xWords, before);
  }
  // More lines than a series can take from this point on.
  SeriesTable table;
  FakeDesktop desktop;
  desktop.SetClipboardText("$1\r\n$2\r\n$3\r\n");
  PastedCells result;
  EXPECT_FALSE(PasteCells(table, 1, kMaxSampleCount - 2, desktop, result));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, kTooManyPointsMessage);
  EXPECT_EQ(table[1].sampleCount, 4096);
}

}  // namespace
}  // namespace bl::series
