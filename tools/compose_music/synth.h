// Deterministic signal primitives for the composer's sample synthesis (no libm transcendentals,
// so every build of the composer computes the same bytes).
#pragma once

#include <cstdint>
#include <vector>

namespace compose {

// Sine of a phase given in turns (1.0 = one full cycle).
double Sine(double turns);
// e to the power x.
double Exp(double x);
// Soft saturation with unit gain near zero that never exceeds 1 in magnitude.
double SoftClip(double x);

// 32-bit xorshift; Next() in [-1, 1).
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  double Next();

 private:
  uint32_t state_;
};

// One-pole filters with the coefficient given directly (0 < a < 1).
class LowPass {
 public:
  explicit LowPass(double a) : a_(a) {}
  double operator()(double x) { return y_ += a_ * (x - y_); }

 private:
  double a_;
  double y_ = 0.0;
};

class HighPass {
 public:
  explicit HighPass(double a) : low_(a) {}
  double operator()(double x) { return x - low_(x); }

 private:
  LowPass low_;
};

// Coefficient of a one-pole low-pass with cut-off hz at rate (a cheap 1 - e^(-2 pi f / rate)).
double OnePoleCoefficient(double hz, double rate);

// Playback rate of a sample triggered at C-4 with the given relative note.
double RateForRelativeNote(int relativeNote);

// A band-limited periodic voice for additive synthesis: `cycles` periods per loop of
// `length` samples, harmonic h weighted by weight(h).
struct Partial {
  int cycles;
  double gain;
  double phase;  // in turns
};

// Sums sawtooth-like harmonic series of every partial into a loop of `length` samples; each
// harmonic h gets amplitude harmonicWeight[h-1]; harmonics at or above Nyquist are left out.
std::vector<double> AdditiveLoop(int length, const std::vector<Partial>& partials,
                                 const std::vector<double>& harmonicWeight);

// Blends the last `fade` samples of a loop into the material that precedes its start, so the
// loop wraps without a click. `preroll` must hold `fade` samples generated just before index 0.
void CrossfadeLoop(std::vector<double>& loop, const std::vector<double>& preroll);

// Scales to peak `peak` (of 127) and rounds to 8 bits.
std::vector<int8_t> Quantize(const std::vector<double>& signal, double peak);

}  // namespace compose
