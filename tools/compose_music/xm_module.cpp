// Byte layout of an extended module: header, packed patterns, instruments with delta-coded samples.
#include "xm_module.h"

#include <algorithm>
#include <stdexcept>

namespace compose {
namespace {

constexpr std::size_t kNameBytes = 20;
constexpr std::size_t kInstrumentNameBytes = 22;
constexpr std::size_t kOrderTableBytes = 256;
constexpr std::size_t kMaxEnvelopePoints = 12;
constexpr uint32_t kSongHeaderSize = 276;  // counted from the field that holds it

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v & 0xFF));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v & 0xFFFF));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void Text(const std::string& s, std::size_t width, char pad) {
    if (s.size() > width) throw std::invalid_argument("name too long: " + s);
    for (char c : s) U8(static_cast<uint8_t>(c));
    for (std::size_t i = s.size(); i < width; ++i) U8(static_cast<uint8_t>(pad));
  }
  void Bytes(const std::vector<uint8_t>& b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

 private:
  std::vector<uint8_t>& out_;
};

void WriteEnvelopePoints(Writer& w, const Envelope& env) {
  if (env.points.size() > kMaxEnvelopePoints) throw std::invalid_argument("envelope has more than 12 points");
  for (std::size_t i = 0; i < kMaxEnvelopePoints; ++i) {
    EnvelopePoint p = i < env.points.size() ? env.points[i] : EnvelopePoint{};
    w.U16(p.tick);
    w.U16(p.value);
  }
}

void CheckPattern(const Pattern& p, uint16_t channels) {
  if (p.channels != channels) throw std::invalid_argument("pattern channel count differs from the module's");
  if (p.rows < 1 || p.rows > 256) throw std::invalid_argument("pattern row count out of range");
  if (p.cells.size() != static_cast<std::size_t>(p.rows * p.channels))
    throw std::invalid_argument("pattern cell count does not match its size");
}

}  // namespace

std::vector<uint8_t> PackPattern(const Pattern& pattern) {
  std::vector<uint8_t> out;
  if (std::all_of(pattern.cells.begin(), pattern.cells.end(), [](const Cell& c) { return c.Empty(); }))
    return out;
  for (const Cell& c : pattern.cells) {
    const bool full = c.note && c.instrument && c.volume && c.effect && c.param;
    if (full) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
      continue;
    }
    uint8_t flags = 0x80;
    if (c.note) flags |= 0x01;
    if (c.instrument) flags |= 0x02;
    if (c.volume) flags |= 0x04;
    if (c.effect) flags |= 0x08;
    if (c.param) flags |= 0x10;
    out.push_back(flags);
    if (c.note) out.push_back(c.note);
    if (c.instrument) out.push_back(c.instrument);
    if (c.volume) out.push_back(c.volume);
    if (c.effect) out.push_back(c.effect);
    if (c.param) out.push_back(c.param);
  }
  return out;
}

std::vector<uint8_t> DeltaEncode(const std::vector<int8_t>& data) {
  std::vector<uint8_t> out(data.size());
  uint8_t previous = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto current = static_cast<uint8_t>(data[i]);
    out[i] = static_cast<uint8_t>(current - previous);
    previous = current;
  }
  return out;
}

std::size_t InstrumentBytes(const Instrument& instrument) {
  std::size_t bytes = kInstrumentHeaderBytes;
  for (const Sample& s : instrument.samples) bytes += kSampleHeaderBytes + s.data.size();
  return bytes;
}

std::size_t ModuleBytes(const Module& module) {
  std::size_t bytes = kHeaderBytes;
  for (const Pattern& p : module.patterns) bytes += kPatternHeaderBytes + PackPattern(p).size();
  for (const Instrument& i : module.instruments) bytes += InstrumentBytes(i);
  return bytes;
}

std::vector<uint8_t> SerializeModule(const Module& module) {
  if (module.orders.empty() || module.orders.size() > kOrderTableBytes)
    throw std::invalid_argument("order count out of range");
  if (module.restart >= module.orders.size()) throw std::invalid_argument("restart position past the song's end");
  if (module.patterns.empty() || module.patterns.size() > 256) throw std::invalid_argument("pattern count out of range");
  if (module.instruments.size() > 128) throw std::invalid_argument("too many instruments");
  if (module.channels < 1 || module.channels > 32) throw std::invalid_argument("channel count out of range");
  for (uint8_t o : module.orders)
    if (o >= module.patterns.size()) throw std::invalid_argument("order names a missing pattern");

  std::vector<uint8_t> out;
  Writer w(out);
  w.Text("Extended Module: ", 17, ' ');
  w.Text(module.name, kNameBytes, '\0');
  w.U8(0x1A);
  w.Text(module.tracker, kNameBytes, ' ');
  w.U16(module.version);
  w.U32(kSongHeaderSize);
  w.U16(static_cast<uint16_t>(module.orders.size()));
  w.U16(module.restart);
  w.U16(module.channels);
  w.U16(static_cast<uint16_t>(module.patterns.size()));
  w.U16(static_cast<uint16_t>(module.instruments.size()));
  w.U16(module.flags);
  w.U16(module.speed);
  w.U16(module.tempo);
  w.Bytes(module.orders);
  w.Zeros(kOrderTableBytes - module.orders.size());

  for (const Pattern& p : module.patterns) {
    CheckPattern(p, module.channels);
    const std::vector<uint8_t> packed = PackPattern(p);
    if (packed.size() > 0xFFFF) throw std::invalid_argument("packed pattern too large");
    w.U32(static_cast<uint32_t>(kPatternHeaderBytes));
    w.U8(0);
    w.U16(static_cast<uint16_t>(p.rows));
    w.U16(static_cast<uint16_t>(packed.size()));
    w.Bytes(packed);
  }

  for (const Instrument& ins : module.instruments) {
    if (ins.samples.empty() || ins.samples.size() > 16) throw std::invalid_argument("instrument needs 1 to 16 samples");
    w.U32(static_cast<uint32_t>(kInstrumentHeaderBytes));
    w.Text(ins.name, kInstrumentNameBytes, '\0');
    w.U8(0);
    w.U16(static_cast<uint16_t>(ins.samples.size()));
    w.U32(static_cast<uint32_t>(kSampleHeaderBytes));
    for (uint8_t k : ins.keymap) {
      if (k >= ins.samples.size()) throw std::invalid_argument("keymap names a missing sample");
      w.U8(k);
    }
    WriteEnvelopePoints(w, ins.volumeEnvelope);
    WriteEnvelopePoints(w, ins.panningEnvelope);
    w.U8(static_cast<uint8_t>(ins.volumeEnvelope.points.size()));
    w.U8(static_cast<uint8_t>(ins.panningEnvelope.points.size()));
    w.U8(ins.volumeEnvelope.sustainPoint);
    w.U8(ins.volumeEnvelope.loopStart);
    w.U8(ins.volumeEnvelope.loopEnd);
    w.U8(ins.panningEnvelope.sustainPoint);
    w.U8(ins.panningEnvelope.loopStart);
    w.U8(ins.panningEnvelope.loopEnd);
    w.U8(ins.volumeEnvelope.Flags());
    w.U8(ins.panningEnvelope.Flags());
    w.U8(ins.vibratoType);
    w.U8(ins.vibratoSweep);
    w.U8(ins.vibratoDepth);
    w.U8(ins.vibratoRate);
    w.U16(ins.fadeout);
    w.Zeros(22);  // reserved
    for (const Sample& s : ins.samples) {
      if (s.loopType != LoopType::kNone &&
          (s.loopLength == 0 || static_cast<std::size_t>(s.loopStart) + s.loopLength > s.data.size()))
        throw std::invalid_argument("sample loop outside its data: " + s.name);
      if (s.volume > 64) throw std::invalid_argument("sample volume above 64");
      w.U32(static_cast<uint32_t>(s.data.size()));
      w.U32(s.loopType == LoopType::kNone ? 0 : s.loopStart);
      w.U32(s.loopType == LoopType::kNone ? 0 : s.loopLength);
      w.U8(s.volume);
      w.U8(static_cast<uint8_t>(s.finetune));
      w.U8(static_cast<uint8_t>(s.loopType));
      w.U8(s.panning);
      w.U8(static_cast<uint8_t>(s.relativeNote));
      w.U8(0);
      w.Text(s.name, kInstrumentNameBytes, '\0');
    }
    for (const Sample& s : ins.samples) w.Bytes(DeltaEncode(s.data));
  }
  return out;
}

}  // namespace compose
