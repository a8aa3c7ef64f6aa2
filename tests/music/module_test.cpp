// The committed module: its exact size and header, its layout, and how libopenmpt plays it.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kModuleBytes = 79327;
constexpr int kOrders = 42;
constexpr int kChannels = 16;
constexpr int kPatterns = 26;
constexpr int kInstruments = 10;
constexpr int kRate = 44100;

std::vector<uint8_t> ReadModule() {
  std::ifstream file(VESK_MUSIC_MODULE, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint16_t U16(const std::vector<uint8_t>& d, std::size_t at) {
  return static_cast<uint16_t>(d.at(at) | d.at(at + 1) << 8);
}
uint32_t U32(const std::vector<uint8_t>& d, std::size_t at) {
  return static_cast<uint32_t>(U16(d, at) | static_cast<uint32_t>(U16(d, at + 2)) << 16);
}
std::string Text(const std::vector<uint8_t>& d, std::size_t at, std::size_t n) {
  return {d.begin() + static_cast<std::ptrdiff_t>(at), d.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

TEST(MusicModuleHeader, HasTheExactSizeAndHeaderValues) {
  const std::vector<uint8_t> d = ReadModule();
  ASSERT_EQ(d.size(), kModuleBytes);
  EXPECT_EQ(Text(d, 0, 17), "Extended Module: ");
  const std::string name = Text(d, 17, 20);
  EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](char c) { return c == ' ' || c == '\0'; }))
      << "module name is not blank";
  EXPECT_EQ(d[37], 0x1A);
  EXPECT_EQ(Text(d, 38, 20), "FastTracker v2.00   ");
  EXPECT_EQ(U16(d, 58), 0x0104);
  EXPECT_EQ(U32(d, 60), 276u);
  EXPECT_EQ(U16(d, 64), kOrders);
  EXPECT_EQ(U16(d, 66), 0) << "restart position";
  EXPECT_EQ(U16(d, 68), kChannels);
  EXPECT_EQ(U16(d, 70), kPatterns);
  EXPECT_EQ(U16(d, 72), kInstruments);
  EXPECT_EQ(U16(d, 74) & 1, 0) << "frequency table must be Amiga";
  EXPECT_EQ(U16(d, 76), 3) << "default speed";
  EXPECT_EQ(U16(d, 78), 136) << "default tempo";
  for (int o = 0; o < 256; ++o) {
    if (o < kOrders) {
      EXPECT_LT(d[80 + static_cast<std::size_t>(o)], kPatterns) << "order " << o;
    } else {
      EXPECT_EQ(d[80 + static_cast<std::size_t>(o)], 0) << "unused order slot " << o;
    }
  }
}

// Walks patterns, instruments and samples; the last sample must end exactly at the file's end.
TEST(MusicModuleHeader, LayoutAccountsForEveryByte) {
  const std::vector<uint8_t> d = ReadModule();
  ASSERT_EQ(d.size(), kModuleBytes);
  std::size_t at = 60 + U32(d, 60);
  std::vector<bool> patternUsed(kPatterns, false);
  for (int o = 0; o < kOrders; ++o) patternUsed[d[80 + static_cast<std::size_t>(o)]] = true;
  for (int p = 0; p < kPatterns; ++p) {
    EXPECT_TRUE(patternUsed[static_cast<std::size_t>(p)]) << "pattern " << p << " is never played";
    ASSERT_EQ(U32(d, at), 9u) << "pattern " << p;
    EXPECT_EQ(d.at(at + 4), 0) << "packing type";
    EXPECT_EQ(U16(d, at + 5), 64) << "rows of pattern " << p;
    const std::size_t packed = U16(d, at + 7);
    // Decode the packing: every pattern must hold exactly 64 rows of 16 cells.
    std::size_t pos = at + 9;
    const std::size_t end = pos + packed;
    int cells = 0;
    while (pos < end) {
      const uint8_t b = d.at(pos++);
      if (b & 0x80) {
        pos += static_cast<std::size_t>(__builtin_popcount(b & 0x1F));
      } else {
        EXPECT_LE(b, 97) << "note out of range in pattern " << p;
        pos += 4;
      }
      ++cells;
    }
    EXPECT_EQ(pos, end) << "pattern " << p << " packing overruns its size";
    EXPECT_EQ(cells, 64 * kChannels) << "pattern " << p;
    at = end;
  }
  for (int i = 0; i < kInstruments; ++i) {
    const uint32_t headerSize = U32(d, at);
    const uint16_t samples = U16(d, at + 27);
    ASSERT_GE(samples, 1) << "instrument " << i + 1 << " has no sample";
    ASSERT_EQ(U32(d, at + 29), 40u) << "sample header size";
    std::size_t sampleHeader = at + headerSize;
    std::size_t dataBytes = 0;
    for (int s = 0; s < samples; ++s) {
      const uint32_t length = U32(d, sampleHeader);
      const uint32_t loopStart = U32(d, sampleHeader + 4);
      const uint32_t loopLength = U32(d, sampleHeader + 8);
      const uint8_t type = d.at(sampleHeader + 14);
      EXPECT_GT(length, 0u);
      EXPECT_LE(d.at(sampleHeader + 12), 64) << "sample volume";
      if ((type & 3) != 0) {
        EXPECT_LE(loopStart + loopLength, length) << "loop outside sample";
      }
      dataBytes += length;
      sampleHeader += 40;
    }
    at = sampleHeader + dataBytes;
  }
  EXPECT_EQ(at, d.size()) << "bytes left over after the last sample";
}

class MusicPlayback : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::vector<uint8_t> bytes = ReadModule();
    module_ = new openmpt::module(bytes);
  }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }
  static openmpt::module* module_;
};
openmpt::module* MusicPlayback::module_ = nullptr;

TEST_F(MusicPlayback, LoadsWithTheSongShapeAndLength) {
  EXPECT_EQ(module_->get_num_orders(), kOrders);
  EXPECT_EQ(module_->get_num_channels(), kChannels);
  EXPECT_EQ(module_->get_num_instruments(), kInstruments);
  EXPECT_EQ(module_->get_num_patterns(), kPatterns);
  EXPECT_NEAR(module_->get_duration_seconds(), 148.0, 2.0);
  EXPECT_EQ(module_->get_metadata("type"), "xm");
}

// Renders the whole song once at the default gain: every order must sound, nothing may reach
// full scale, and the outro must fade to silence rather than stop on a cut.
TEST_F(MusicPlayback, WholeSongSoundsInEveryOrderWithoutClipping) {
  module_->set_position_seconds(0.0);
  module_->set_repeat_count(0);
  std::vector<float> left(1024), right(1024);
  std::vector<double> energy(kOrders, 0.0);
  std::vector<long> frames(kOrders, 0);
  const auto tailStart = static_cast<long>((module_->get_duration_seconds() - 0.5) * kRate);
  long frame = 0;
  float tailPeak = 0.0f;
  float peak = 0.0f;
  for (;;) {
    const std::size_t n = module_->read(kRate, left.size(), left.data(), right.data());
    if (n == 0) break;
    const int order = module_->get_current_order();
    ASSERT_GE(order, 0);
    ASSERT_LT(order, kOrders);
    for (std::size_t i = 0; i < n; ++i) {
      peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
      energy[static_cast<std::size_t>(order)] += left[i] * left[i] + right[i] * right[i];
      if (frame++ >= tailStart) tailPeak = std::max({tailPeak, std::fabs(left[i]), std::fabs(right[i])});
    }
    frames[static_cast<std::size_t>(order)] += static_cast<long>(n);
  }
  EXPECT_LT(peak, 1.0f) << "a sample reaches full scale";
  for (int o = 0; o < kOrders; ++o) {
    ASSERT_GT(frames[static_cast<std::size_t>(o)], 0) << "order " << o << " was never played";
    const double samples = 2.0 * static_cast<double>(frames[static_cast<std::size_t>(o)]);
    const double rms = std::sqrt(energy[static_cast<std::size_t>(o)] / samples);
    EXPECT_GT(rms, 0.003) << "order " << o << " is (nearly) silent";
  }
  // Last half second: at most a whisper.
  EXPECT_GT(frame, tailStart);
  EXPECT_LT(tailPeak, 0.01f) << "the song does not fade out before its end";
}

}  // namespace
