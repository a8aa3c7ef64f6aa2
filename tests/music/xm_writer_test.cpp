// The composer's routines: pattern packing, delta coding, module layout, notation and synthesis.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "instruments.h"
#include "sheet.h"
#include "song.h"
#include "synth.h"
#include "xm_module.h"

namespace compose {
namespace {

Module TinyModule() {
  Module m;
  m.name = "tiny";
  m.channels = 2;
  m.orders = {0, 0};
  m.speed = 3;
  m.tempo = 136;
  Pattern p(4, 2);
  p.At(0, 0) = {49, 1, Vol(40), 0, 0};
  m.patterns.push_back(p);
  Instrument ins;
  ins.name = "beep";
  Sample s;
  s.data = {0, 10, -10, 5};
  s.loopType = LoopType::kForward;
  s.loopStart = 1;
  s.loopLength = 3;
  ins.samples.push_back(s);
  m.instruments.push_back(ins);
  return m;
}

TEST(MusicPatternPacking, EmptyCellsTakeOneByteAndFullCellsFiveBytesPlain) {
  Pattern p(2, 2);
  p.At(0, 1) = {49, 2, 0, 0, 0};
  p.At(1, 0) = {50, 3, Vol(64), 0xA, 0x0F};
  const std::vector<uint8_t> packed = PackPattern(p);
  const std::vector<uint8_t> expected = {0x80, 0x83, 49, 2, 50, 3, 0x50, 0xA, 0x0F, 0x80};
  EXPECT_EQ(packed, expected);
}

TEST(MusicPatternPacking, EffectWithZeroParameterKeepsTheEffectByte) {
  Pattern p(1, 1);
  p.At(0, 0).effect = kFxTonePorta;
  EXPECT_EQ(PackPattern(p), (std::vector<uint8_t>{0x88, kFxTonePorta}));
}

TEST(MusicPatternPacking, AllEmptyPatternPacksToNothing) {
  EXPECT_TRUE(PackPattern(Pattern(64, 16)).empty());
}

TEST(MusicDeltaCoding, StoresDifferencesThatWrapAndSumBack) {
  const std::vector<int8_t> data = {0, 127, -128, -1, 5};
  const std::vector<uint8_t> coded = DeltaEncode(data);
  ASSERT_EQ(coded.size(), data.size());
  EXPECT_EQ(coded[1], 127);
  EXPECT_EQ(coded[2], 1);  // -128 - 127 wraps to 1
  uint8_t acc = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    acc = static_cast<uint8_t>(acc + coded[i]);
    EXPECT_EQ(static_cast<int8_t>(acc), data[i]);
  }
}

TEST(MusicModuleLayout, SerializedSizeMatchesTheCountAndHeaderFieldsLandInPlace) {
  const Module m = TinyModule();
  const std::vector<uint8_t> bytes = SerializeModule(m);
  EXPECT_EQ(bytes.size(), ModuleBytes(m));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 17), "Extended Module: ");
  EXPECT_EQ(bytes[37], 0x1A);
  EXPECT_EQ(bytes[58] | bytes[59] << 8, 0x0104);
  EXPECT_EQ(bytes[64], 2);   // song length
  EXPECT_EQ(bytes[68], 2);   // channels
  EXPECT_EQ(bytes[76], 3);   // speed
  EXPECT_EQ(bytes[78], 136); // tempo
  // The sample data is the last thing in the file, delta-coded.
  const std::vector<uint8_t> tail(bytes.end() - 4, bytes.end());
  EXPECT_EQ(tail, DeltaEncode({0, 10, -10, 5}));
  // Instrument header: 263 bytes, then one 40-byte sample header whose loop fields follow.
  const std::size_t instrument = kHeaderBytes + kPatternHeaderBytes + PackPattern(m.patterns[0]).size();
  EXPECT_EQ(bytes[instrument], 263 & 0xFF);
  EXPECT_EQ(bytes[instrument + 1], 263 >> 8);
  const std::size_t sample = instrument + kInstrumentHeaderBytes;
  EXPECT_EQ(bytes[sample], 4);       // length
  EXPECT_EQ(bytes[sample + 4], 1);   // loop start
  EXPECT_EQ(bytes[sample + 8], 3);   // loop length
  EXPECT_EQ(bytes[sample + 14], 1);  // forward loop
}

TEST(MusicModuleLayout, RejectsWhatTheFormatCannotHold) {
  Module m = TinyModule();
  m.orders = {1};
  EXPECT_THROW(SerializeModule(m), std::invalid_argument);  // order names a missing pattern
  m = TinyModule();
  m.instruments[0].samples[0].loopLength = 4;
  EXPECT_THROW(SerializeModule(m), std::invalid_argument);  // loop runs past the data
  m = TinyModule();
  m.patterns[0] = Pattern(4, 3);
  EXPECT_THROW(SerializeModule(m), std::invalid_argument);  // channel count mismatch
  m = TinyModule();
  m.restart = 2;
  EXPECT_THROW(SerializeModule(m), std::invalid_argument);
  m = TinyModule();
  m.instruments[0].keymap[10] = 1;
  EXPECT_THROW(SerializeModule(m), std::invalid_argument);  // keymap names a missing sample
}

TEST(MusicModuleFit, NoiseLoopsStretchToAnyTargetSize) {
  for (std::size_t target : {79327u, 80000u}) {
    const Module m = BuildModule(target);
    EXPECT_EQ(SerializeModule(m).size(), target);
  }
  EXPECT_THROW(BuildModule(40000), std::runtime_error);
}

TEST(MusicNotation, NoteNamesMapToTrackerNumbers) {
  EXPECT_EQ(NoteNumber("C4"), 49);
  EXPECT_EQ(NoteNumber("A4"), 58);
  EXPECT_EQ(NoteNumber("C#5"), 62);
  EXPECT_EQ(NoteNumber("Bb3"), 47);
  EXPECT_THROW(NoteNumber("H4"), std::invalid_argument);
  EXPECT_THROW(NoteNumber("C"), std::invalid_argument);
  EXPECT_THROW(NoteNumber("C#45"), std::invalid_argument);
}

TEST(MusicNotation, LineWritesNotesReleasesAndEchoesThatFitThePattern) {
  Sheet s;
  const Echo echo{3, 6, 50, 200};
  s.Line(1, 56, 2, "A4 . ^ C5:40", 7, 30, echo);
  EXPECT_EQ(s.At(56, 1).note, 58);
  EXPECT_EQ(s.At(56, 1).volume, Vol(30));
  EXPECT_EQ(s.At(58, 1).note, 0);
  EXPECT_EQ(s.At(60, 1).note, kNoteOff);
  EXPECT_EQ(s.At(62, 1).volume, Vol(40));
  EXPECT_EQ(s.At(62, 3).note, 58);  // echo of row 56
  EXPECT_EQ(s.At(62, 3).volume, Vol(15));
  EXPECT_EQ(s.At(62, 3).effect, kFxPanning);
  EXPECT_THROW(s.Line(1, 62, 2, "A4 A4", 7, 30), std::out_of_range);
}

TEST(MusicNotation, RampMovesLinearlyBetweenItsEnds) {
  Sheet s;
  s.Ramp(0, 0, 8, 0, 64, 4);
  EXPECT_EQ(s.At(0, 0).volume, Vol(0));
  EXPECT_EQ(s.At(4, 0).volume, Vol(32));
  EXPECT_EQ(s.At(8, 0).volume, Vol(64));
  EXPECT_THROW(s.SetVolume(0, 0, 65), std::out_of_range);
}

TEST(MusicSynthesis, PolynomialSineAndExpTrackTheLibrary) {
  for (int i = -40; i <= 40; ++i) {
    const double turns = i * 0.0371;
    EXPECT_NEAR(Sine(turns), std::sin(turns * 6.283185307179586), 1e-9) << turns;
    const double x = i * 0.5;
    EXPECT_NEAR(Exp(x) / std::exp(x), 1.0, 1e-12) << x;
  }
  EXPECT_EQ(Exp(-1000.0), 0.0);
}

TEST(MusicSynthesis, SoftClipStaysWithinUnitAndIsOddAndMonotonic) {
  double previous = -1.0;
  for (int i = -100; i <= 100; ++i) {
    const double y = SoftClip(i * 0.05);
    EXPECT_LE(std::fabs(y), 1.0);
    EXPECT_GE(y, previous);
    EXPECT_DOUBLE_EQ(SoftClip(-i * 0.05), -y);
    previous = y;
  }
}

TEST(MusicSynthesis, AdditiveLoopsAreExactlyPeriodicAndBandLimited) {
  const std::vector<double> loop = AdditiveLoop(64, {{2, 1.0, 0.0}}, {1.0, 0.5, 0.25, 0.125, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                                                      1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0});
  // Two periods in 64 samples: the second half repeats the first.
  for (int i = 0; i < 32; ++i) EXPECT_NEAR(loop[static_cast<std::size_t>(i)], loop[static_cast<std::size_t>(i + 32)], 1e-12);
  // Harmonic 16 of 2 cycles would sit at Nyquist (32 cycles); it must be left out.
  const std::vector<double> only = AdditiveLoop(64, {{2, 1.0, 0.0}}, std::vector<double>(15, 0.0));
  for (double v : only) EXPECT_EQ(v, 0.0);
}

TEST(MusicSynthesis, QuantizeHitsTheRequestedPeak) {
  const std::vector<int8_t> q = Quantize({0.0, 0.5, -1.0, 0.25}, 120.0);
  EXPECT_EQ(q, (std::vector<int8_t>{0, 60, -120, 30}));
}

TEST(MusicInstruments, TenInstrumentsWithValidLoopsAndStretchableNoise) {
  const std::vector<Instrument> a = BuildInstruments(kMinStretchBytes);
  const std::vector<Instrument> b = BuildInstruments(kMinStretchBytes + 1001);
  ASSERT_EQ(a.size(), static_cast<std::size_t>(kInstrumentCount));
  std::size_t bytesA = 0, bytesB = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    bytesA += InstrumentBytes(a[i]);
    bytesB += InstrumentBytes(b[i]);
    for (const Sample& s : a[i].samples) {
      ASSERT_FALSE(s.data.empty()) << a[i].name;
      if (s.loopType != LoopType::kNone) {
        EXPECT_LE(s.loopStart + s.loopLength, s.data.size()) << a[i].name;
      }
    }
  }
  EXPECT_EQ(bytesB - bytesA, 1001u);
  EXPECT_THROW(BuildInstruments(kMinStretchBytes - 1), std::invalid_argument);
}

}  // namespace
}  // namespace compose
