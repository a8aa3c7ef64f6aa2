// In-memory model of an extended module and its serialisation into the byte layout trackers load.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace compose {

inline constexpr int kRowsPerPattern = 64;
inline constexpr int kNoteOff = 97;  // the key-off pseudo note
inline constexpr std::size_t kHeaderBytes = 336;
inline constexpr std::size_t kPatternHeaderBytes = 9;
inline constexpr std::size_t kInstrumentHeaderBytes = 263;  // with at least one sample
inline constexpr std::size_t kSampleHeaderBytes = 40;

// One pattern cell; zero in a field means "nothing there", as trackers store it.
struct Cell {
  uint8_t note = 0;
  uint8_t instrument = 0;
  uint8_t volume = 0;  // volume-column byte, already encoded (0x10..0x50 sets 0..64)
  uint8_t effect = 0;
  uint8_t param = 0;
  bool Empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
};

struct Pattern {
  int rows = kRowsPerPattern;
  int channels = 0;
  std::vector<Cell> cells;  // row-major: rows x channels

  Pattern() = default;
  Pattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(static_cast<std::size_t>(rowCount * channelCount)) {}
  Cell& At(int row, int channel) { return cells[static_cast<std::size_t>(row * channels + channel)]; }
  const Cell& At(int row, int channel) const { return cells[static_cast<std::size_t>(row * channels + channel)]; }
};

struct EnvelopePoint {
  uint16_t tick = 0;
  uint16_t value = 0;  // 0..64
};

struct Envelope {
  std::vector<EnvelopePoint> points;  // at most 12
  uint8_t sustainPoint = 0;
  uint8_t loopStart = 0;
  uint8_t loopEnd = 0;
  bool sustain = false;
  bool loop = false;
  uint8_t Flags() const {
    return static_cast<uint8_t>((points.empty() ? 0 : 1) | (sustain ? 2 : 0) | (loop ? 4 : 0));
  }
};

enum class LoopType : uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

// An 8-bit sample as played; the writer delta-codes it.
struct Sample {
  std::string name;
  std::vector<int8_t> data;
  uint32_t loopStart = 0;
  uint32_t loopLength = 0;
  LoopType loopType = LoopType::kNone;
  uint8_t volume = 64;
  int8_t finetune = 0;
  uint8_t panning = 128;
  int8_t relativeNote = 0;
};

struct Instrument {
  std::string name;
  std::vector<Sample> samples;            // at least one
  std::array<uint8_t, 96> keymap{};       // sample index per note
  Envelope volumeEnvelope;
  Envelope panningEnvelope;
  uint8_t vibratoType = 0;
  uint8_t vibratoSweep = 0;
  uint8_t vibratoDepth = 0;
  uint8_t vibratoRate = 0;
  uint16_t fadeout = 0;
};

struct Module {
  std::string name;
  std::string tracker = "FastTracker v2.00";
  uint16_t version = 0x0104;
  std::vector<uint8_t> orders;
  uint16_t restart = 0;
  uint16_t channels = 0;
  uint16_t flags = 0;  // bit 0 clear: Amiga frequency table
  uint16_t speed = 3;
  uint16_t tempo = 125;
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

// Packs one pattern the way the format allows: a full cell as five plain bytes, any other
// as a flag byte naming the fields that follow. An all-empty pattern packs to nothing.
std::vector<uint8_t> PackPattern(const Pattern& pattern);

// Stores each sample byte as the difference from the one before, starting from zero.
std::vector<uint8_t> DeltaEncode(const std::vector<int8_t>& data);

std::size_t InstrumentBytes(const Instrument& instrument);
std::size_t ModuleBytes(const Module& module);

// Throws std::invalid_argument when the module breaks a limit of the format.
std::vector<uint8_t> SerializeModule(const Module& module);

}  // namespace compose
