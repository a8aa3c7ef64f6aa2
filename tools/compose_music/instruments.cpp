// Sample synthesis for the drums, bass, pads, lead, arpeggio, bell and wind of the module.
#include "instruments.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "synth.h"

namespace compose {
namespace {

// A loop of this many samples holding 128 periods plays C-4 at relative note 0, so three
// voices of 127, 128 and 129 periods detune by about 13.5 cents each way.
constexpr int kChorusLoop = 4096;
constexpr int kChorusCycles = 128;
constexpr int kOpenNoteBase = 60;  // keymap index of C-5: hats from here on are open

Envelope MakeEnvelope(std::vector<EnvelopePoint> points, int sustainPoint = -1) {
  Envelope env;
  env.points = std::move(points);
  if (sustainPoint >= 0) {
    env.sustain = true;
    env.sustainPoint = static_cast<uint8_t>(sustainPoint);
  }
  return env;
}

Sample MakeSample(const std::string& name, std::vector<int8_t> data, int relativeNote, uint8_t volume,
                  uint8_t panning) {
  Sample s;
  s.name = name;
  s.data = std::move(data);
  s.relativeNote = static_cast<int8_t>(relativeNote);
  s.volume = volume;
  s.panning = panning;
  return s;
}

void LoopWhole(Sample& s, uint32_t start = 0) {
  s.loopType = LoopType::kForward;
  s.loopStart = start;
  s.loopLength = static_cast<uint32_t>(s.data.size()) - start;
}

Instrument SingleSampleInstrument(const std::string& name, Sample sample) {
  Instrument ins;
  ins.name = name;
  ins.samples.push_back(std::move(sample));
  return ins;
}

// Kick: a sine whose pitch falls from a click to a low thump, gently saturated.
std::vector<int8_t> SynthKick() {
  constexpr int kRelative = 7;
  const double rate = RateForRelativeNote(kRelative);
  const int length = static_cast<int>(rate * 0.30);
  std::vector<double> out(static_cast<std::size_t>(length));
  Noise noise(0x4B1C4u);
  LowPass clickFilter(OnePoleCoefficient(3000.0, rate));
  double phase = 0.0;
  for (int i = 0; i < length; ++i) {
    const double t = i / rate;
    const double freq = 50.0 + 120.0 * Exp(-t / 0.030) + 250.0 * Exp(-t / 0.004);
    phase += freq / rate;
    const double body = Sine(phase) * Exp(-t / 0.18) * (1.0 - Exp(-(0.30 - t) / 0.02));
    const double click = clickFilter(noise.Next()) * Exp(-t / 0.003) * 0.6;
    out[static_cast<std::size_t>(i)] = SoftClip(1.8 * (body + click));
  }
  return Quantize(out, 124.0);
}

// Snare: a short tonal body under band-limited noise that arrives in three clap-like bursts.
std::vector<int8_t> SynthSnare(double rate) {
  const int length = static_cast<int>(rate * 0.20);
  std::vector<double> out(static_cast<std::size_t>(length));
  Noise noise(0x5A4E3u);
  HighPass high(OnePoleCoefficient(700.0, rate));
  LowPass low(OnePoleCoefficient(7000.0, rate));
  double phase = 0.0;
  for (int i = 0; i < length; ++i) {
    const double t = i / rate;
    phase += (180.0 + 60.0 * Exp(-t / 0.01)) / rate;
    const double body = Sine(phase) * Exp(-t / 0.045) * 0.7;
    double bursts = Exp(-t / 0.07);
    for (double onset : {0.0, 0.008, 0.017}) {
      if (t >= onset) bursts += 0.6 * Exp(-(t - onset) / 0.004);
    }
    const double fadeTail = 1.0 - Exp(-(0.20 - t) / 0.015);
    const double hiss = low(high(noise.Next())) * bursts;
    out[static_cast<std::size_t>(i)] = SoftClip(1.4 * (body + 1.3 * hiss)) * fadeTail;
  }
  return Quantize(out, 120.0);
}

// Metallic hat material: six detuned square waves and noise, high-passed.
std::vector<double> MetalNoise(int length, double rate, uint32_t seed) {
  constexpr double kRatios[6] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};
  std::vector<double> out(static_cast<std::size_t>(length));
  Noise noise(seed);
  HighPass high1(OnePoleCoefficient(6000.0, rate));
  HighPass high2(OnePoleCoefficient(6000.0, rate));
  double phases[6] = {0.0, 0.13, 0.29, 0.41, 0.57, 0.73};
  for (int i = 0; i < length; ++i) {
    double metal = 0.0;
    for (int k = 0; k < 6; ++k) {
      phases[k] += 540.0 * kRatios[k] / rate;
      metal += (phases[k] - std::floor(phases[k]) < 0.5) ? 1.0 : -1.0;
    }
    out[static_cast<std::size_t>(i)] = high2(high1(0.12 * metal + 0.8 * noise.Next()));
  }
  return out;
}

Instrument BuildHats() {
  constexpr int kRelative = 24;
  const double rate = RateForRelativeNote(kRelative);
  const int closedLength = static_cast<int>(rate * 0.06);
  std::vector<double> closed = MetalNoise(closedLength, rate, 0x4A7u);
  for (int i = 0; i < closedLength; ++i) {
    const double t = i / rate;
    closed[static_cast<std::size_t>(i)] *= Exp(-t / 0.014) * (1.0 - Exp(-(0.06 - t) / 0.005));
  }
  // The open hat is a loop; the instrument's envelope shapes its decay.
  constexpr int kOpenLoop = 2200;
  constexpr int kFade = 400;
  std::vector<double> material = MetalNoise(kOpenLoop + kFade, rate, 0x09E4u);
  std::vector<double> preroll(material.begin(), material.begin() + kFade);
  std::vector<double> open(material.begin() + kFade, material.end());
  CrossfadeLoop(open, preroll);

  Instrument ins;
  ins.name = "hats";
  ins.samples.push_back(MakeSample("closed hat", Quantize(closed, 120.0), kRelative, 64, 150));
  Sample openSample = MakeSample("open hat", Quantize(open, 110.0), kRelative - 12, 64, 150);
  LoopWhole(openSample);
  ins.samples.push_back(std::move(openSample));
  for (std::size_t k = kOpenNoteBase; k < ins.keymap.size(); ++k) ins.keymap[k] = 1;
  ins.volumeEnvelope = MakeEnvelope({{0, 64}, {3, 44}, {10, 22}, {20, 8}, {32, 0}});
  return ins;
}

// Broadband noise loop with a gentle tilt; used for the cymbal and, darker, for the wind.
std::vector<int8_t> NoiseLoop(std::size_t length, double rate, double highHz, double lowHz, uint32_t seed,
                              double peak) {
  constexpr std::size_t kFade = 512;
  std::vector<double> material(length + kFade);
  Noise noise(seed);
  HighPass high(OnePoleCoefficient(highHz, rate));
  LowPass low1(OnePoleCoefficient(lowHz, rate));
  LowPass low2(OnePoleCoefficient(lowHz, rate));
  // Warm the filters up so the loop starts in their steady state.
  for (int i = 0; i < 2000; ++i) low2(low1(high(noise.Next())));
  for (double& v : material) v = low2(low1(high(noise.Next())));
  std::vector<double> preroll(material.begin(), material.begin() + static_cast<std::ptrdiff_t>(kFade));
  std::vector<double> loop(material.begin() + static_cast<std::ptrdiff_t>(kFade), material.end());
  CrossfadeLoop(loop, preroll);
  return Quantize(loop, peak);
}

Instrument BuildCrash(std::size_t length) {
  constexpr int kRelative = 24;
  const double rate = RateForRelativeNote(kRelative);
  Sample s = MakeSample("cymbal", NoiseLoop(length, rate, 2500.0, 14000.0, 0xC2A5u, 110.0), kRelative, 64, 110);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("cymbal", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 64}, {4, 50}, {20, 28}, {50, 12}, {90, 4}, {120, 0}});
  return ins;
}

Instrument BuildWind(std::size_t length) {
  constexpr int kRelative = 0;
  const double rate = RateForRelativeNote(kRelative);
  Sample s = MakeSample("wind", NoiseLoop(length, rate, 150.0, 1200.0, 0x3141u, 118.0), kRelative, 64, 128);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("wind", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 0}, {40, 48}, {80, 64}}, 2);
  ins.fadeout = 600;
  return ins;
}

// Harmonic weights of a saw through a soft low-pass at harmonic `corner`.
std::vector<double> SawWeights(int count, double corner) {
  std::vector<double> w(static_cast<std::size_t>(count));
  for (int h = 1; h <= count; ++h) {
    const double lp = 1.0 / (1.0 + (h / corner) * (h / corner));
    w[static_cast<std::size_t>(h - 1)] = lp / h;
  }
  return w;
}

// Weights of a square (odd harmonics) through the same low-pass.
std::vector<double> SquareWeights(int count, double corner) {
  std::vector<double> w = SawWeights(count, corner);
  for (int h = 2; h <= count; h += 2) w[static_cast<std::size_t>(h - 1)] = 0.0;
  return w;
}

Instrument BuildBass() {
  // One period of 128 samples: relative note 24 makes the note name the pitch.
  constexpr int kPeriod = 128;
  std::vector<double> saw = AdditiveLoop(kPeriod, {{1, 1.0, 0.0}}, SawWeights(40, 9.0));
  std::vector<double> sub = AdditiveLoop(kPeriod, {{1, 0.5, 0.25}}, {1.0});
  for (std::size_t i = 0; i < saw.size(); ++i) saw[i] += sub[i];
  Sample s = MakeSample("bass", Quantize(saw, 120.0), 24, 64, 128);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("bass", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 64}, {3, 56}, {10, 40}, {24, 26}, {48, 18}, {49, 18}}, 5);
  ins.fadeout = 2048;
  return ins;
}

Instrument BuildPad() {
  std::vector<double> w = SawWeights(16, 5.0);
  std::vector<double> loop = AdditiveLoop(kChorusLoop,
                                          {{kChorusCycles - 1, 1.0, 0.0},
                                           {kChorusCycles, 0.9, 0.37},
                                           {kChorusCycles + 1, 1.0, 0.71},
                                           {kChorusCycles / 2, 0.6, 0.15}},
                                          w);
  Sample s = MakeSample("pad", Quantize(loop, 118.0), 0, 64, 128);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("pad", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 0}, {12, 40}, {30, 60}, {60, 64}}, 3);
  ins.fadeout = 420;
  ins.vibratoType = 0;
  ins.vibratoDepth = 2;
  ins.vibratoRate = 5;
  ins.vibratoSweep = 60;
  return ins;
}

Instrument BuildLead() {
  std::vector<double> saw = SawWeights(16, 14.0);
  std::vector<double> loop = AdditiveLoop(kChorusLoop,
                                          {{kChorusCycles - 1, 0.8, 0.0},
                                           {kChorusCycles, 1.0, 0.5},
                                           {kChorusCycles + 1, 0.8, 0.23}},
                                          saw);
  std::vector<double> square =
      AdditiveLoop(kChorusLoop, {{kChorusCycles, 0.7, 0.11}}, SquareWeights(16, 10.0));
  for (std::size_t i = 0; i < loop.size(); ++i) loop[i] += square[i];
  Sample s = MakeSample("lead", Quantize(loop, 120.0), 0, 64, 128);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("lead", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 44}, {2, 64}, {8, 52}, {24, 46}}, 3);
  ins.fadeout = 1400;
  ins.vibratoType = 0;
  ins.vibratoSweep = 48;
  ins.vibratoDepth = 4;
  ins.vibratoRate = 9;
  return ins;
}

Instrument BuildArp() {
  // A bright pulse of 64 samples; relative note 12 makes the note name the pitch.
  constexpr int kPeriod = 64;
  std::vector<double> w(31);
  for (int h = 1; h <= 31; ++h) {
    // A 30 % pulse: harmonic h has amplitude |sin(pi h 0.3)| / h, softened at the top.
    const double s = Sine(0.15 * h);
    w[static_cast<std::size_t>(h - 1)] = (s < 0 ? -s : s) / h / (1.0 + (h / 18.0) * (h / 18.0));
  }
  std::vector<double> cycle = AdditiveLoop(kPeriod, {{1, 1.0, 0.0}}, w);
  Sample s = MakeSample("arpeggio", Quantize(cycle, 118.0), 12, 64, 96);
  LoopWhole(s);
  Instrument ins = SingleSampleInstrument("arpeggio", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 64}, {2, 46}, {8, 22}, {18, 8}, {34, 0}});
  return ins;
}

// Bell: frequency modulation at ratio 4 whose index dies away over the attack, then a loop of
// the last few periods, so the ring continues under the instrument's envelope.
Instrument BuildBell() {
  constexpr int kPeriod = 64;  // relative note 12
  constexpr int kAttackPeriods = 48;
  constexpr int kLoopPeriods = 4;
  const int length = kPeriod * (kAttackPeriods + kLoopPeriods);
  std::vector<double> out(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    const double turns = static_cast<double>(i) / kPeriod;
    const double progress = std::fmin(1.0, static_cast<double>(i) / (kPeriod * kAttackPeriods));
    const double index = 0.35 + 2.2 * (1.0 - progress) * (1.0 - progress);
    const double mod = Sine(4.0 * turns);
    out[static_cast<std::size_t>(i)] = Sine(turns + index * mod / 6.283185307179586) + 0.25 * Sine(2.0 * turns);
  }
  Sample s = MakeSample("bell", Quantize(out, 118.0), 12, 64, 140);
  LoopWhole(s, static_cast<uint32_t>(kPeriod * kAttackPeriods));
  Instrument ins = SingleSampleInstrument("bell", std::move(s));
  ins.volumeEnvelope = MakeEnvelope({{0, 64}, {4, 50}, {16, 32}, {50, 14}, {100, 4}, {140, 0}});
  return ins;
}

}  // namespace

std::vector<Instrument> BuildInstruments(std::size_t stretchBytes) {
  if (stretchBytes < kMinStretchBytes) throw std::invalid_argument("too little room left for the noise loops");
  const std::size_t crashBytes = stretchBytes * 3 / 5;
  const std::size_t windBytes = stretchBytes - crashBytes;

  std::vector<Instrument> all;
  Sample kick = MakeSample("kick", SynthKick(), 7, 64, 128);
  all.push_back(SingleSampleInstrument("kick", std::move(kick)));
  constexpr int kSnareRelative = 14;
  Sample snare = MakeSample("snare", SynthSnare(RateForRelativeNote(kSnareRelative)), kSnareRelative, 64, 120);
  all.push_back(SingleSampleInstrument("snare", std::move(snare)));
  all.push_back(BuildHats());
  all.push_back(BuildCrash(crashBytes));
  all.push_back(BuildBass());
  all.push_back(BuildPad());
  all.push_back(BuildLead());
  all.push_back(BuildArp());
  all.push_back(BuildBell());
  all.push_back(BuildWind(windBytes));
  return all;
}

}  // namespace compose
