// Deterministic signal primitives: polynomial sine and exponential, noise, filters, looping.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace compose {
namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kLn2 = 0.6931471805599453;
}  // namespace

double Sine(double turns) {
  double t = turns - std::floor(turns);  // [0, 1)
  // Fold into [-0.25, 0.25] turns where the odd Taylor series converges fast.
  if (t > 0.75) t -= 1.0;
  else if (t > 0.25) t = 0.5 - t;
  const double x = t * kTwoPi;
  const double x2 = x * x;
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k <= 8; ++k) {
    term *= -x2 / static_cast<double>((2 * k) * (2 * k + 1));
    sum += term;
  }
  return x * sum;
}

double Exp(double x) {
  if (x < -700.0) return 0.0;
  // e^x = 2^n * e^r with |r| <= ln2/2.
  const double n = std::floor(x / kLn2 + 0.5);
  const double r = x - n * kLn2;
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k <= 14; ++k) {
    term *= r / k;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(n));
}

double SoftClip(double x) {
  if (x > 3.0) return 1.0;
  if (x < -3.0) return -1.0;
  // Rational tanh fit, exact at +-3 so the curve meets the clamp.
  const double x2 = x * x;
  return x * (27.0 + x2) / (27.0 + 9.0 * x2);
}

double Noise::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

double OnePoleCoefficient(double hz, double rate) {
  return 1.0 - Exp(-kTwoPi * hz / rate);
}

double RateForRelativeNote(int relativeNote) {
  constexpr double kSemitone = 1.0594630943592953;
  double rate = 8363.0;
  for (int i = 0; i < relativeNote; ++i) rate *= kSemitone;
  for (int i = 0; i > relativeNote; --i) rate /= kSemitone;
  return rate;
}

std::vector<double> AdditiveLoop(int length, const std::vector<Partial>& partials,
                                 const std::vector<double>& harmonicWeight) {
  std::vector<double> out(static_cast<std::size_t>(length), 0.0);
  for (const Partial& p : partials) {
    for (std::size_t h = 1; h <= harmonicWeight.size(); ++h) {
      const long long cycles = static_cast<long long>(h) * p.cycles;
      if (2 * cycles >= length) break;
      const double amp = p.gain * harmonicWeight[h - 1];
      if (amp == 0.0) continue;
      for (int i = 0; i < length; ++i) {
        // Integer phase index keeps the loop exactly periodic.
        const long long idx = (cycles * i) % length;
        out[static_cast<std::size_t>(i)] +=
            amp * Sine(static_cast<double>(idx) / length + p.phase * static_cast<double>(h));
      }
    }
  }
  return out;
}

void CrossfadeLoop(std::vector<double>& loop, const std::vector<double>& preroll) {
  const std::size_t fade = std::min(preroll.size(), loop.size());
  const std::size_t start = loop.size() - fade;
  for (std::size_t j = 0; j < fade; ++j) {
    const double a = (static_cast<double>(j) + 1.0) / static_cast<double>(fade + 1);
    loop[start + j] = loop[start + j] * (1.0 - a) + preroll[j] * a;
  }
}

std::vector<int8_t> Quantize(const std::vector<double>& signal, double peak) {
  double maxAbs = 0.0;
  for (double v : signal) maxAbs = std::max(maxAbs, std::fabs(v));
  const double scale = maxAbs > 0.0 ? peak / maxAbs : 0.0;
  std::vector<int8_t> out(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const double v = std::nearbyint(signal[i] * scale);
    out[i] = static_cast<int8_t>(std::clamp(v, -128.0, 127.0));
  }
  return out;
}

}  // namespace compose
