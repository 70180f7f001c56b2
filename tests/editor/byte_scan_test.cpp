#include "editor/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace bl::editor {
namespace {

std::size_t PlainCount(const char* p, const char* end, char c) {
  std::size_t n = 0;
  for (; p < end; ++p) n += *p == c ? 1 : 0;
  return n;
}

const char* PlainFind(const char* p, const char* end, std::string_view any) {
  while (p < end && any.find(*p) == std::string_view::npos) ++p;
  return p;
}

// A text whose line ends come at the given density, with runs of nothing but line ends.
std::string RandomText(std::mt19937& random, std::size_t size, double lineEndDensity) {
  std::bernoulli_distribution lineEnd(lineEndDensity);
  std::bernoulli_distribution startRun(0.002);
  std::uniform_int_distribution<int> runLength(1, 5000);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text;
  text.reserve(size);
  while (text.size() < size) {
    if (startRun(random)) {
      text.append(static_cast<std::size_t>(runLength(random)), '\n');
    } else if (lineEnd(random)) {
      text += '\n';
    } else {
      char c = static_cast<char>(byte(random));
      if (c == '\n') c = 'x';
      text += c;
    }
  }
  text.resize(size);
  return text;
}

TEST(ByteScanTest, CountMatchesAPlainCountOnRandomTexts) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<std::size_t> sizes(0, 20000);
  std::uniform_real_distribution<double> densities(0.0, 1.0);
  for (int round = 0; round < 400; ++round) {
    // Every fourth text is dense in line ends, as a program of short or empty lines is.
    const double density = round % 4 == 0 ? 0.9 + densities(random) / 10 : densities(random);
    const std::string text = RandomText(random, sizes(random), density);
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    ASSERT_EQ(CountByte(begin, end, '\n'), PlainCount(begin, end, '\n'))
        << "round " << round << ", " << text.size() << " bytes, density " << density;
    // Stretches at every alignment.
    for (int k = 0; k < 8; ++k) {
      std::uniform_int_distribution<std::size_t> at(0, text.size());
      std::size_t from = at(random), to = at(random);
      if (from > to) std::swap(from, to);
      ASSERT_EQ(CountByte(begin + from, begin + to, '\n'), PlainCount(begin + from, begin + to, '\n'))
          << "round " << round << ", bytes " << from << ".." << to;
    }
  }
}

TEST(ByteScanTest, CountOfLongRunsOfLineEnds) {
  for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 255u, 256u, 257u, 300u, 2039u, 2040u, 2041u, 2048u,
                        4095u, 65536u, 499999u}) {
    for (std::size_t lead = 0; lead < 8; ++lead) {
      const std::string text = std::string(lead, 'a') + std::string(n, '\n') + "last line";
      EXPECT_EQ(CountByte(text.data(), text.data() + text.size(), '\n'), n)
          << n << " line ends after " << lead << " bytes";
    }
  }
  // Every byte value counts the same way.
  std::string all;
  for (int i = 0; i < 3000; ++i) all += static_cast<char>(i % 256);
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    EXPECT_EQ(CountByte(all.data(), all.data() + all.size(), ch),
              PlainCount(all.data(), all.data() + all.size(), ch))
        << c;
  }
}

TEST(ByteScanTest, FindAnyMatchesAPlainSearchOnRandomTexts) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> sizes(0, 3000);
  std::uniform_real_distribution<double> densities(0.0, 0.2);
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomText(random, sizes(random), densities(random));
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    std::uniform_int_distribution<std::size_t> at(0, text.size());
    for (int k = 0; k < 8; ++k) {
      const char* from = begin + at(random);
      EXPECT_EQ(FindAnyByte(from, end, '\n'), PlainFind(from, end, "\n"));
      EXPECT_EQ(FindAnyByte(from, end, '*', '\n'), PlainFind(from, end, "*\n"));
      EXPECT_EQ(FindAnyByte(from, end, '"', '\n'), PlainFind(from, end, "\"\n"));
      EXPECT_EQ(FindAnyByte(from, end, ';', '/', '"'), PlainFind(from, end, ";/\""));
    }
  }
}

}  // namespace
}  // namespace bl::editor
