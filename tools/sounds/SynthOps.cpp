#include "SynthOps.h"

#include <algorithm>
#include <cmath>

namespace synth {

Samples Noise(size_t n, SynthRandom& rng) {
  Samples s(n);
  for (float& v : s) v = static_cast<float>(rng.Signed());
  return s;
}

Samples Filtered(Samples s, Biquad::Kind kind, double frequency, double q) {
  Biquad f(kind, frequency, q);
  f.Run(s);
  return s;
}

void Decay(Samples& s, double attack, double tau) {
  const size_t a = Count(attack);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    double g = std::exp(-std::max(0.0, t - attack) / tau);
    if (i < a) g *= static_cast<double>(i) / static_cast<double>(a);
    s[i] = static_cast<float>(s[i] * g);
  }
}

void Fade(Samples& s, double in, double out) {
  const size_t a = std::min(Count(in), s.size()), b = std::min(Count(out), s.size());
  for (size_t i = 0; i < a; ++i) s[i] = static_cast<float>(s[i] * (static_cast<double>(i) / static_cast<double>(a)));
  for (size_t i = 0; i < b; ++i)
    s[s.size() - 1 - i] = static_cast<float>(s[s.size() - 1 - i] * (static_cast<double>(i) / static_cast<double>(b)));
}

Samples Glide(size_t n, double f0, double f1, double phase) {
  Samples s(n);
  const double k = n > 1 ? std::log(f1 / f0) / static_cast<double>(n - 1) : 0.0;
  for (size_t i = 0; i < n; ++i) {
    s[i] = static_cast<float>(std::sin(phase));
    phase += 2.0 * kPi * f0 * std::exp(k * static_cast<double>(i)) / kRate;
    if (phase > 2.0 * kPi) phase -= 2.0 * kPi;
  }
  return s;
}

Samples Saw(size_t n, double f0, double f1, SynthRandom* jitter, double jitterAmount) {
  Samples s(n);
  const double k = n > 1 ? std::log(f1 / f0) / static_cast<double>(n - 1) : 0.0;
  double phase = 0.0, smooth = 0.0, wobble = 0.0;
  for (size_t i = 0; i < n; ++i) {
    if (jitter && i % 441 == 0) wobble = jitter->Signed() * jitterAmount;
    phase += f0 * std::exp(k * static_cast<double>(i)) * (1.0 + wobble) / kRate;
    phase -= std::floor(phase);
    smooth += 0.35 * ((2.0 * phase - 1.0) - smooth);
    s[i] = static_cast<float>(smooth);
  }
  return s;
}

void Mix(Samples& into, const Samples& s, size_t at, double gain) {
  for (size_t i = 0; i < s.size() && at + i < into.size(); ++i) into[at + i] = static_cast<float>(into[at + i] + s[i] * gain);
}

void Scale(Samples& s, double gain) {
  for (float& v : s) v = static_cast<float>(v * gain);
}

void SoftClip(Samples& s, double drive) {
  const double norm = std::tanh(drive);
  for (float& v : s) v = static_cast<float>(std::tanh(v * drive) / norm);
}

void Room(Samples& s, double size, double wet, SynthRandom& rng) {
  const Samples dry = s;
  const double taps[] = {0.011, 0.017, 0.023, 0.031, 0.041, 0.053};
  double g = wet;
  for (double t : taps) {
    const size_t d = Count(t * size * (0.9 + 0.2 * rng.Unit()));
    for (size_t i = d; i < s.size(); ++i) s[i] = static_cast<float>(s[i] + dry[i - d] * g);
    g *= 0.72;
  }
}

void Echo(Samples& s, double delay, double feedback, int repeats) {
  Samples wet = s;
  Biquad dull(Biquad::Kind::kLowPass, 1500.0, 0.7);
  dull.Run(wet);
  const size_t d = Count(delay);
  double g = feedback;
  for (int r = 1; r <= repeats; ++r) {
    const size_t at = d * static_cast<size_t>(r);
    for (size_t i = at; i < s.size(); ++i) s[i] = static_cast<float>(s[i] + wet[i - at] * g);
    g *= feedback;
  }
}

Samples Wobble(size_t n, double rateHz, double depth, SynthRandom& rng) {
  // Smooth random curve: points every 1/rateHz seconds joined by cosine steps.
  Samples s(n);
  const size_t step = std::max<size_t>(1, Count(1.0 / rateHz));
  double a = rng.Unit(), b = rng.Unit();
  for (size_t i = 0; i < n; ++i) {
    if (i % step == 0 && i > 0) { a = b; b = rng.Unit(); }
    const double t = static_cast<double>(i % step) / static_cast<double>(step);
    const double v = a + (b - a) * (0.5 - 0.5 * std::cos(kPi * t));
    s[i] = static_cast<float>(1.0 - depth + depth * v);
  }
  return s;
}

void Modulate(Samples& s, const Samples& by) {
  for (size_t i = 0; i < s.size() && i < by.size(); ++i) s[i] *= by[i];
}

Samples Metal(size_t n, double f, double tau, SynthRandom& rng) {
  Samples s(n, 0.0f);
  const double ratios[] = {1.0, 1.59, 2.14, 2.65, 3.16, 4.31, 5.28};
  for (size_t k = 0; k < 7; ++k) {
    const double fk = f * ratios[k] * (0.98 + 0.04 * rng.Unit());
    const double tk = tau / (1.0 + 0.45 * static_cast<double>(k));
    const double amp = 1.0 / (1.0 + 0.6 * static_cast<double>(k));
    const double ph = rng.Unit() * 2.0 * kPi;
    for (size_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / kRate;
      s[i] = static_cast<float>(s[i] + amp * std::sin(ph + 2.0 * kPi * fk * t) * std::exp(-t / tk));
    }
  }
  Samples strike = Filtered(Noise(std::min(n, Count(0.004)), rng), Biquad::Kind::kHighPass, 2000.0, 0.7);
  Mix(s, strike, 0, 1.5);
  return s;
}

Samples Report(size_t n, double weight, SynthRandom& rng) {
  Samples out(n, 0.0f);
  // The supersonic crack.
  Samples crack = Filtered(Noise(std::min(n, Count(0.003 + 0.004 * weight)), rng), Biquad::Kind::kHighPass,
                           2500.0 - 1500.0 * weight, 0.7);
  Decay(crack, 0.0002, 0.0015 + 0.002 * weight);
  Mix(out, crack, 0, 1.2);
  // The body of the muzzle blast.
  Samples body = Filtered(Noise(n, rng), Biquad::Kind::kBandPass, 1100.0 - 750.0 * weight, 0.9);
  Decay(body, 0.0008, 0.025 + 0.12 * weight);
  Mix(out, body, 0, 2.2);
  // The low thump.
  Samples thump = Glide(std::min(n, Count(0.05 + 0.6 * weight)), 140.0 - 80.0 * weight, 45.0 - 15.0 * weight);
  Decay(thump, 0.001, 0.02 + 0.18 * weight);
  Mix(out, thump, 0, 0.8 + 0.6 * weight);
  Samples rumble = Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 300.0 - 150.0 * weight, 0.7);
  Decay(rumble, 0.004, 0.06 + 0.5 * weight);
  Mix(out, rumble, 0, 1.6 + 2.0 * weight);
  return out;
}

Samples Blast(size_t n, double size, SynthRandom& rng) {
  Samples out(n, 0.0f);
  const double k = size / 4.0;
  Samples crack = Filtered(Noise(std::min(n, Count(0.01)), rng), Biquad::Kind::kHighPass, 1200.0, 0.7);
  Decay(crack, 0.0003, 0.004);
  Mix(out, crack, 0, 1.0);
  // The blast itself: noise whose brightness falls as it decays.
  Samples roar = Noise(n, rng);
  Biquad lp1(Biquad::Kind::kLowPass, 2400.0 - 1400.0 * k, 0.7);
  Biquad lp2(Biquad::Kind::kLowPass, 2400.0 - 1400.0 * k, 0.7);
  const double tau = 0.18 + 0.7 * k;
  for (size_t i = 0; i < n; ++i) {
    if (i % 256 == 0) {
      const double t = static_cast<double>(i) / kRate;
      const double fc = 120.0 + (2600.0 - 1600.0 * k) * std::exp(-t / (0.08 + 0.2 * k));
      lp1.Set(Biquad::Kind::kLowPass, fc, 0.7);
      lp2.Set(Biquad::Kind::kLowPass, fc, 0.7);
    }
    roar[i] = static_cast<float>(lp2.Step(lp1.Step(roar[i])));
  }
  Decay(roar, 0.002, tau);
  Mix(out, roar, 0, 3.5);
  Samples boom = Glide(std::min(n, Count(0.3 + 1.2 * k)), 70.0 - 25.0 * k, 28.0);
  Decay(boom, 0.003, 0.12 + 0.5 * k);
  Mix(out, boom, 0, 0.9);
  // Falling earth and debris.
  const int bits = static_cast<int>(6 + 30 * k);
  for (int b = 0; b < bits; ++b) {
    const size_t at = Count(0.15 + rng.Unit() * (0.4 + 1.5 * k));
    if (at >= n) continue;
    Samples d = Filtered(Noise(Count(0.02), rng), Biquad::Kind::kBandPass, rng.Range(600.0, 3000.0), 2.0);
    Decay(d, 0.0005, 0.006);
    Mix(out, d, at, 0.5 * std::exp(-static_cast<double>(at) / kRate / (0.4 + k)));
  }
  return out;
}

void CloseLoop(Samples& s, size_t n, size_t fade) {
  // s holds n + fade samples; its head takes over from the tail, so that s[n - 1] runs on
  // into s[0] as naturally as s[n - 1] ran on into s[n].
  for (size_t i = 0; i < fade && n + i < s.size(); ++i) {
    const double a = static_cast<double>(i) / static_cast<double>(fade);
    const double w = std::sin(0.5 * kPi * a);
    const double v = std::cos(0.5 * kPi * a);
    s[i] = static_cast<float>(s[i] * w + s[n + i] * v);
  }
  s.resize(n);
  // A few samples either side of the join are smoothed (a five-sample average taken round the
  // loop), so that the step across it is never one of the sound's sharpest.
  if (n < 16) return;
  const Samples ring = s;
  auto at = [&](long i) { return static_cast<double>(ring[static_cast<size_t>((i + static_cast<long>(n)) % static_cast<long>(n))]); };
  for (long i = -4; i < 4; ++i) {
    double sum = 0.0;
    for (long k = -2; k <= 2; ++k) sum += at(i + k);
    s[static_cast<size_t>((i + static_cast<long>(n)) % static_cast<long>(n))] = static_cast<float>(sum / 5.0);
  }
}

}  // namespace synth
