#include "SoundRecipes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "SynthOps.h"

using namespace synth;

namespace {

// Arguments as numbers: a word argument becomes the index of the word in its list.
using Params = std::map<std::string, double>;

struct ArgRule {
  const char* name;
  std::vector<const char*> words;  // empty: a number from lo to hi
  double lo, hi, def;
};

enum class Shape { kMono, kLoop, kStereo, kStereoLoop, kSpeech };

struct Recipe {
  const char* name;
  Shape shape;
  double levelDb;  // loudness (RMS, dBFS) of the family the recipe belongs to
  std::vector<ArgRule> args;
  // Makes n samples (n plus the loop fade for loops) into out.
  std::function<void(const Params&, size_t n, SynthRandom&, SoundSignal&)> make;
};

double Db(double db) { return std::pow(10.0, db / 20.0); }

// --- Weapons -------------------------------------------------------------------------------

void Bursts(Samples& out, size_t firstAt, int shots, double rate, double weight, SynthRandom& rng) {
  const double period = 60.0 / rate;
  double t = static_cast<double>(firstAt) / kRate;
  for (int k = 0; k < shots; ++k) {
    const size_t at = Count(t);
    if (at >= out.size()) break;
    Samples shot = Report(Count(0.25 + 0.5 * weight), weight, rng);
    Mix(out, shot, at, rng.Range(0.8, 1.0));
    t += period * rng.Range(0.97, 1.03);
  }
}

void MakeSmallArms(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  Samples s(n, 0.0f);
  const int weapon = static_cast<int>(p.at("weapon"));
  const int shots = static_cast<int>(p.at("shots"));
  double rate = p.at("rate");
  static const double kWeight[] = {0.35, 0.32, 0.15, 0.35, 0.33, 0.6, 0.75, 0.35, 0.35};
  static const double kRateOf[] = {60, 140, 540, 550, 1200, 500, 40, 60, 60};
  if (rate <= 0.0) rate = kRateOf[weapon];
  const double w = kWeight[weapon];
  switch (weapon) {
    case 7:  // squad: rifles scattered over the length, some nearer than others
    case 8:  // squad with its automatic weapon
      for (int k = 0; k < shots; ++k) {
        const size_t at = Count(rng.Unit() * (static_cast<double>(n) / kRate - 0.4));
        Samples shot = Report(Count(0.4), w * rng.Range(0.8, 1.1), rng);
        if (rng.Unit() < 0.5) shot = Filtered(shot, Biquad::Kind::kLowPass, rng.Range(1500.0, 4000.0), 0.7);
        Mix(s, shot, at, rng.Range(0.5, 1.0));
      }
      if (weapon == 8) Bursts(s, Count(rng.Range(0.05, 0.4)), 6 + rng.Below(4), 550.0, 0.35, rng);
      break;
    default: Bursts(s, 0, shots, rate, w, rng); break;
  }
  Echo(s, rng.Range(0.2, 0.35), 0.22, 2);
  out.left = std::move(s);
}

void MakeGun(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double calibre = p.at("calibre");
  const double w = 0.4 + 0.6 * std::clamp((calibre - 20.0) / 130.0, 0.0, 1.0);
  Samples s = Report(n, w, rng);
  Samples boom = Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 90.0 + 60.0 * (1.0 - w), 0.8);
  Decay(boom, 0.005, 0.2 + 0.5 * w);
  Mix(s, boom, 0, 4.0 * w);
  Echo(s, 0.45, 0.3, 3);
  out.left = std::move(s);
}

void MakeExplosion(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double size = p.at("size") + rng.Range(-0.15, 0.15);
  Samples s = Blast(n, std::clamp(size, 0.0, 4.0), rng);
  if (size >= 1.5) Echo(s, 0.5, 0.25, 2);
  out.left = std::move(s);
}

void MakeIncoming(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const int tone = static_cast<int>(p.at("tone"));
  const double len = static_cast<double>(n) / kRate;
  Samples s(n, 0.0f);
  if (tone == 2) {  // rocket: a roar whose band climbs as it comes
    Samples roar = Noise(n, rng);
    Biquad bp(Biquad::Kind::kBandPass, 500.0, 1.2);
    for (size_t i = 0; i < n; ++i) {
      if (i % 256 == 0) bp.Set(Biquad::Kind::kBandPass, 500.0 + 1300.0 * static_cast<double>(i) / static_cast<double>(n), 1.2);
      roar[i] = static_cast<float>(bp.Step(roar[i]));
    }
    Mix(s, roar, 0, 3.0);
  } else {  // shell or mortar bomb: a whistle falling as it nears, over a rush of air
    const double f0 = tone == 1 ? 2100.0 : 1500.0, f1 = tone == 1 ? 1100.0 : 650.0;
    Samples whistle = Glide(n, f0 * rng.Range(0.95, 1.05), f1, rng.Unit() * 6.0);
    Mix(s, whistle, 0, 0.6);
    Samples rush = Filtered(Noise(n, rng), Biquad::Kind::kBandPass, f1 * 1.5, 1.5);
    Mix(s, rush, 0, 1.5);
  }
  // Louder as it comes: the level rises over the whole flight.
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate / len;
    s[i] = static_cast<float>(s[i] * (0.08 + 0.92 * t * t));
  }
  Fade(s, 0.05, 0.008);
  out.left = std::move(s);
}

void MakeImpact(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const int kind = static_cast<int>(p.at("kind"));
  Samples s(n, 0.0f);
  switch (kind) {
    case 0: {  // ricochet: a hit and a whine falling away
      Mix(s, Metal(std::min(n, Count(0.3)), rng.Range(1500.0, 2200.0), 0.05, rng), 0, 0.8);
      const size_t w = std::min(n, Count(rng.Range(0.4, 0.6)));
      Samples whine = Glide(w, rng.Range(2800.0, 3600.0), rng.Range(1100.0, 1600.0));
      Decay(whine, 0.01, 0.18);
      Mix(s, whine, Count(0.01), 0.7);
      Samples hiss = Filtered(Noise(w, rng), Biquad::Kind::kHighPass, 4000.0, 0.7);
      Decay(hiss, 0.005, 0.1);
      Mix(s, hiss, 0, 0.3);
      break;
    }
    case 1:  // shatter: the shot breaks up on the plate
      Mix(s, Metal(n, 480.0, 0.25, rng), 0, 0.9);
      Mix(s, Blast(n, 0.3, rng), 0, 0.6);
      for (int k = 0; k < 12; ++k) {
        Samples bit = Metal(Count(0.1), rng.Range(1800.0, 4000.0), 0.02, rng);
        Mix(s, bit, Count(rng.Range(0.02, 0.5)), 0.25);
      }
      break;
    case 2:  // penetration: a heavy bang inside a ringing hull
      Mix(s, Report(n, 0.8, rng), 0, 0.8);
      Mix(s, Metal(n, 210.0, 0.6, rng), 0, 0.7);
      break;
    case 3: {  // immobilised: a clank, then the grind of a broken track or wheel
      Mix(s, Metal(n, 300.0, 0.3, rng), 0, 0.9);
      const size_t g = n > Count(0.1) ? n - Count(0.1) : 0;
      Samples grind = Filtered(Noise(g, rng), Biquad::Kind::kBandPass, 700.0, 1.0);
      Samples rattle(g);
      for (size_t i = 0; i < g; ++i) rattle[i] = static_cast<float>(0.5 + 0.5 * std::sin(2.0 * kPi * 28.0 * static_cast<double>(i) / kRate));
      Modulate(grind, rattle);
      Decay(grind, 0.05, 0.5);
      Mix(s, grind, Count(0.1), 1.2);
      break;
    }
    case 4: {  // bullets on armour: a scatter of light pings
      const int hits = 6 + rng.Below(5);
      for (int k = 0; k < hits; ++k) {
        Samples ping = Metal(Count(0.15), rng.Range(2200.0, 3400.0), 0.025, rng);
        Mix(s, ping, Count(rng.Unit() * (static_cast<double>(n) / kRate - 0.15)), rng.Range(0.4, 1.0));
      }
      break;
    }
    default: break;
  }
  out.left = std::move(s);
}

void MakeHatch(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const bool close = p.at("action") == 1.0;
  Samples s(n, 0.0f);
  const size_t creakLen = Count(close ? 0.25 : 0.45);
  Samples creak = Saw(creakLen, close ? 240.0 : 170.0, close ? 170.0 : 260.0, &rng, 0.05);
  creak = Filtered(creak, Biquad::Kind::kBandPass, 900.0, 3.0);
  Fade(creak, 0.05, 0.08);
  if (close) {
    Mix(s, creak, 0, 0.5);
    Mix(s, Metal(n - std::min(n, creakLen), 250.0, 0.35, rng), creakLen, 1.0);
    Samples thump = Filtered(Noise(Count(0.1), rng), Biquad::Kind::kLowPass, 200.0, 0.7);
    Decay(thump, 0.001, 0.03);
    Mix(s, thump, creakLen, 2.0);
  } else {
    Mix(s, Metal(n, 420.0, 0.15, rng), 0, 0.7);
    Mix(s, creak, Count(0.08), 0.5);
  }
  out.left = std::move(s);
}

// One engine: firing pulses at rpm with cylinders, a body of given size (0 light, 1 heavy).
Samples Engine(size_t n, double rpmFrom, double rpmTo, double cylinders, double size, SynthRandom& rng) {
  Samples s(n, 0.0f);
  double t = 0.0;
  const double total = static_cast<double>(n) / kRate;
  Samples pulse = Filtered(Noise(Count(0.03), rng), Biquad::Kind::kLowPass, 500.0 - 250.0 * size, 0.9);
  Decay(pulse, 0.0005, 0.006 + 0.008 * size);
  while (true) {
    const size_t at = Count(t);
    if (at >= n) break;
    Mix(s, pulse, at, rng.Range(0.7, 1.0));
    const double rpm = rpmFrom + (rpmTo - rpmFrom) * t / total;
    t += 1.0 / (rpm / 60.0 * cylinders / 2.0) * rng.Range(0.96, 1.04);
  }
  Samples hum = Saw(n, rpmFrom / 60.0 * cylinders / 4.0, rpmTo / 60.0 * cylinders / 4.0);
  hum = Filtered(hum, Biquad::Kind::kLowPass, 250.0, 0.8);
  Mix(s, hum, 0, 0.25);
  Samples whine = Filtered(Noise(n, rng), Biquad::Kind::kBandPass, 1200.0 + 0.3 * rpmTo, 4.0);
  Mix(s, whine, 0, 0.12);
  return s;
}

void MakeEngine(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  out.left = Engine(n, p.at("rpm"), p.at("rpm"), p.at("cylinders"), p.at("size"), rng);
}

void MakeBog(const Params&, size_t n, SynthRandom& rng, SoundSignal& out) {
  Samples s = Engine(n, 1200.0, 2600.0, 8.0, 0.8, rng);
  for (int k = 0; k < 8; ++k) {
    Samples squelch = Filtered(Noise(Count(0.2), rng), Biquad::Kind::kLowPass, rng.Range(200.0, 450.0), 2.0);
    Fade(squelch, 0.05, 0.12);
    Mix(s, squelch, Count(rng.Unit() * (static_cast<double>(n) / kRate - 0.2)), 2.5);
  }
  Fade(s, 0.15, 0.4);
  out.left = std::move(s);
}

void MakeFire(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double size = p.at("size");
  Samples roar = Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 300.0 + 200.0 * size, 0.7);
  Modulate(roar, Wobble(n, 2.0, 0.6, rng));
  Samples s(n, 0.0f);
  Mix(s, roar, 0, 2.5);
  const int crackles = static_cast<int>(static_cast<double>(n) / kRate * (30.0 + 30.0 * size));
  for (int k = 0; k < crackles; ++k) {
    Samples c = Filtered(Noise(Count(0.006), rng), Biquad::Kind::kHighPass, rng.Range(1500.0, 5000.0), 0.7);
    Decay(c, 0.0002, 0.0015);
    const double a = rng.Unit();
    Mix(s, c, static_cast<size_t>(rng.Unit() * static_cast<double>(n)), 0.2 + 0.8 * a * a * a);
  }
  out.left = std::move(s);
}

void MakeCollapse(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double size = p.at("size");
  const double len = static_cast<double>(n) / kRate;
  Samples s(n, 0.0f);
  Samples rumble = Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 180.0, 0.7);
  Decay(rumble, 0.15, 0.6 + 0.4 * size);
  Mix(s, rumble, 0, 5.0);
  for (int k = 0; k < 8; ++k) {  // beams giving way
    Samples crack = Filtered(Noise(Count(0.04), rng), Biquad::Kind::kHighPass, 1200.0, 0.7);
    Decay(crack, 0.0005, 0.01);
    Mix(s, crack, Count(rng.Range(0.0, 0.35)), 0.8);
  }
  const int pieces = 60 + static_cast<int>(40 * size);
  for (int k = 0; k < pieces; ++k) {  // masonry falling, thinning out
    const double t = len * std::pow(rng.Unit(), 1.8);
    Samples d = Filtered(Noise(Count(0.05), rng), Biquad::Kind::kBandPass, rng.Range(150.0, 1500.0), 1.5);
    Decay(d, 0.001, 0.012);
    Mix(s, d, Count(t), rng.Range(0.3, 1.0) * std::exp(-t / (0.8 + 0.4 * size)));
  }
  Fade(s, 0.01, 0.3);
  out.left = std::move(s);
}

// A propeller aircraft: two engines beating, brighter and louder as it nears (t in 0..1 of
// the pass given by the envelope).
Samples Aircraft(size_t n, const std::function<double(double)>& nearness, SynthRandom& rng) {
  Samples s(n, 0.0f);
  const double total = static_cast<double>(n) / kRate;
  Samples a = Saw(n, 92.0, 92.0, &rng, 0.004), b = Saw(n, 95.5, 95.5, &rng, 0.004);
  Mix(a, b, 0, 1.0);
  Samples roar = Noise(n, rng);
  Biquad lp(Biquad::Kind::kLowPass, 600.0, 0.8), bp(Biquad::Kind::kBandPass, 400.0, 0.8);
  for (size_t i = 0; i < n; ++i) {
    const double x = nearness(static_cast<double>(i) / kRate / total);
    if (i % 256 == 0) {
      lp.Set(Biquad::Kind::kLowPass, 300.0 + 1500.0 * x, 0.8);
      bp.Set(Biquad::Kind::kBandPass, 250.0 + 600.0 * x, 0.8);
    }
    s[i] = static_cast<float>((lp.Step(a[i]) * 0.6 + bp.Step(roar[i]) * 1.5) * (0.05 + 0.95 * x * x));
  }
  return s;
}

void MakeAircraft(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const int pass = static_cast<int>(p.at("pass"));
  const double len = static_cast<double>(n) / kRate;
  Samples s;
  if (pass == 0) {
    s = Aircraft(n, [](double t) { return t; }, rng);
  } else {
    // A diving pass: nearest a little after the middle.
    s = Aircraft(n, [](double t) { return std::exp(-std::pow((t - 0.55) / 0.3, 2.0)); }, rng);
    const size_t mid = Count(len * 0.4);
    switch (pass) {
      case 1: Bursts(s, mid, 24, 1200.0, 0.35, rng); break;           // machine guns
      case 2: Bursts(s, mid, 10, 600.0, 0.6, rng); break;             // cannon
      case 3: {                                                       // bombs
        Samples whistle = Glide(Count(1.2), 1300.0, 650.0);
        Decay(whistle, 0.6, 0.5);
        Mix(s, whistle, Count(len * 0.35), 0.25);
        Mix(s, Blast(n - std::min(n, Count(len * 0.35 + 1.2)), 3.0, rng), Count(len * 0.35 + 1.2), 1.0);
        Mix(s, Blast(Count(2.0), 2.5, rng), Count(len * 0.35 + 1.45), 0.7);
        break;
      }
      case 4:  // rockets
        for (int k = 0; k < 2; ++k) {
          const size_t at = mid + Count(0.35 * k);
          Samples whoosh = Filtered(Noise(Count(0.7), rng), Biquad::Kind::kBandPass, 900.0, 1.0);
          Fade(whoosh, 0.02, 0.3);
          Mix(s, whoosh, at, 0.8);
          Mix(s, Blast(Count(1.5), 2.2, rng), at + Count(0.7), 0.9);
        }
        break;
      default: break;
    }
  }
  Fade(s, 0.3, 0.3);
  out.left = std::move(s);
}

void MakeAssault(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double len = static_cast<double>(n) / kRate;
  Samples s(n, 0.0f);
  const int grenades = static_cast<int>(p.at("grenades"));
  for (int k = 0; k < grenades; ++k) {
    const size_t at = Count(rng.Range(0.0, len * 0.6));
    Mix(s, Blast(n - at, 0.5, rng), at, 0.9);
  }
  const int bursts = static_cast<int>(p.at("bursts"));
  for (int k = 0; k < bursts; ++k) Bursts(s, Count(rng.Range(0.0, len * 0.7)), 4 + rng.Below(5), 540.0, 0.15, rng);
  for (int k = 0; k < 3; ++k) Mix(s, Report(Count(0.3), 0.33, rng), Count(rng.Range(0.0, len - 0.3)), 0.6);
  Echo(s, 0.22, 0.2, 2);
  out.left = std::move(s);
}

// A shouting or screaming human voice made from a pulse source and three vocal formants.
void MakeCry(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  static const double kFormants[4][3] = {{800, 1200, 2500}, {500, 850, 2450}, {550, 1800, 2500}, {350, 700, 2400}};
  const int vowel = static_cast<int>(p.at("vowel"));
  const double f0 = p.at("pitch");
  const double len = static_cast<double>(n) / kRate;
  Samples src(n);
  double phase = 0.0, wobble = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double contour = t < 0.15 ? 1.0 + 0.35 * t / 0.15 : 1.35 - 0.6 * (t - 0.15) / std::max(0.1, len - 0.15);
    if (i % 300 == 0) wobble = rng.Signed() * 0.03;
    phase += f0 * contour * (1.0 + wobble) / kRate;
    phase -= std::floor(phase);
    src[i] = static_cast<float>(phase < 0.4 ? std::sin(kPi * phase / 0.4) : 0.0) - 0.25f;
  }
  Samples s(n, 0.0f);
  const double gains[3] = {1.0, 0.7, 0.35};
  for (int k = 0; k < 3; ++k) Mix(s, Filtered(src, Biquad::Kind::kBandPass, kFormants[vowel][k], 6.0), 0, gains[k] * 3.0);
  Mix(s, Filtered(Noise(n, rng), Biquad::Kind::kHighPass, 1500.0, 0.7), 0, 0.015);
  SoftClip(s, 2.5);
  Fade(s, 0.04, len * 0.45);
  Room(s, 1.5, 0.2, rng);
  out.left = std::move(s);
}

// --- Interface -----------------------------------------------------------------------------

void MakeClick(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  Samples s = Glide(n, p.at("pitch"), p.at("pitch") * 0.8);
  Decay(s, 0.0005, 0.012);
  Samples tick = Filtered(Noise(std::min(n, Count(0.01)), rng), Biquad::Kind::kHighPass, 3000.0, 0.7);
  Decay(tick, 0.0001, 0.0015);
  Mix(s, tick, 0, 0.7);
  Fade(s, 0.0, 0.01);
  out.left = std::move(s);
}

void MakeBlip(const Params& p, size_t n, SynthRandom&, SoundSignal& out) {
  Samples s(n, 0.0f);
  const size_t half = n / 2;
  for (int k = 0; k < 2; ++k) {
    Samples tone = Glide(half > Count(0.03) ? half - Count(0.015) : half, k == 0 ? p.at("pitch") : p.at("pitch2"), k == 0 ? p.at("pitch") : p.at("pitch2"));
    SoftClip(tone, 2.0);
    Fade(tone, 0.004, 0.02);
    Mix(s, Filtered(tone, Biquad::Kind::kLowPass, 3500.0, 0.7), half * static_cast<size_t>(k), 1.0);
  }
  out.left = std::move(s);
}

// A bell or brass note: partials with their own decays (bell) or a swelling saw (brass).
Samples Note(size_t n, double f, bool brass, SynthRandom& rng) {
  if (brass) {
    Samples s = Saw(n, f, f, &rng, 0.002);
    Samples t = Saw(n, f * 1.003, f * 1.003, &rng, 0.002);
    Mix(s, t, 0, 1.0);
    s = Filtered(s, Biquad::Kind::kLowPass, std::min(5000.0, f * 5.0), 0.9);
    Fade(s, 0.03, 0.08);
    return s;
  }
  Samples s(n, 0.0f);
  const double ratios[] = {1.0, 2.0, 3.01, 4.2, 5.4};
  for (int k = 0; k < 5; ++k) {
    Samples part = Glide(n, f * ratios[k], f * ratios[k], rng.Unit());
    Decay(part, 0.002, 0.6 / (1.0 + k));
    Mix(s, part, 0, 1.0 / (1.0 + k));
  }
  Fade(s, 0.0, 0.02);
  return s;
}

void MakeChime(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  static const int kUp[] = {0, 4, 7, 12, 16, 19};
  static const int kDown[] = {0, -5, -8, -12, -17, -20};
  const int notes = static_cast<int>(p.at("notes"));
  const bool down = p.at("dir") == 1.0;
  const bool brass = p.at("voice") == 1.0;
  const double step = static_cast<double>(n) / kRate / (notes + 1.5);
  Samples s(n, 0.0f);
  for (int k = 0; k < notes; ++k) {
    const double f = p.at("pitch") * std::pow(2.0, (down ? kDown[k] : kUp[k]) / 12.0);
    const size_t at = Count(step * k);
    const size_t len = k == notes - 1 ? n - at : Count(step * 1.6);
    Mix(s, Note(std::min(len, n - at), f, brass, rng), at, 1.0);
  }
  Fade(s, 0.0, 0.1);
  Room(s, 2.0, 0.25, rng);
  out.left = std::move(s);
}

// --- Streams -------------------------------------------------------------------------------

void MakeMarch(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const double beat = 60.0 / p.at("tempo");
  // Chords of a march in B flat, one a bar: roots in semitones above B flat 2, major or minor.
  static const int kRoots[] = {0, 5, 7, 0, 0, 9, 2, 7, 5, 0, 7, 0};
  static const bool kMinor[] = {false, false, false, false, false, true, false, false, false, false, false, false};
  // The tune: scale steps above B flat 4 (in semitones), a beat each; 99 holds.
  static const int kTune[] = {0, 0, 4, 7, 5, 9, 12, 99, 7, 11, 14, 12, 7, 99, 4, 2,
                              0, 4, 7, 12, 9, 12, 16, 99, 14, 12, 11, 9, 7, 99, 99, 99,
                              12, 12, 9, 5, 7, 4, 0, 99, 2, 7, 11, 14, 12, 99, 99, 99};
  const double base = 116.54;  // B flat 2
  Samples left(n, 0.0f), right(n, 0.0f);
  const int bars = static_cast<int>(std::size(kRoots));
  for (int bar = 0; bar < bars; ++bar) {
    const double root = base * std::pow(2.0, kRoots[bar] / 12.0);
    const int third = kMinor[bar] ? 3 : 4;
    for (int half = 0; half < 2; ++half) {
      const size_t at = Count((bar * 4 + half * 2) * beat);
      if (at >= n) break;
      const size_t len = std::min(n - at, Count(beat * 1.8));
      for (int iv : {0, third, 7, 12}) {
        Samples chord = Note(len, root * std::pow(2.0, iv / 12.0), true, rng);
        Mix(left, chord, at, 0.16);
        Mix(right, chord, at, 0.24);
      }
      Samples bass = Note(std::min(n - at, Count(beat * 0.9)), root * 0.5, true, rng);
      Mix(left, bass, at, 0.35);
      Mix(right, bass, at, 0.35);
    }
    for (int b = 0; b < 4; ++b) {
      const size_t at = Count((bar * 4 + b) * beat);
      if (at >= n) break;
      if (b % 2 == 0) {  // bass drum
        Samples kick = Glide(std::min(n - at, Count(0.3)), 110.0, 45.0);
        Decay(kick, 0.001, 0.08);
        Mix(left, kick, at, 0.9);
        Mix(right, kick, at, 0.9);
      }
      // Snare on the off beats, with a little roll before each fourth beat.
      const int strokes = b % 2 == 1 ? (b == 3 ? 3 : 1) : 0;
      for (int k = 0; k < strokes; ++k) {
        const size_t sat = at + Count(k * beat / 6.0);
        if (sat >= n) break;
        Samples snare = Filtered(Noise(std::min(n - sat, Count(0.2)), rng), Biquad::Kind::kBandPass, 2500.0, 0.7);
        Decay(snare, 0.0005, 0.045);
        Mix(left, snare, sat, k == 0 ? 0.7 : 0.45);
        Mix(right, snare, sat, k == 0 ? 0.7 : 0.45);
      }
    }
  }
  // The tune above, on a brighter brass line with a little vibrato.
  const int tuneLen = static_cast<int>(std::size(kTune));
  const double tuneBase = base * 4.0;
  for (int b = 0; b < tuneLen; ++b) {
    if (kTune[b] == 99) continue;
    int hold = 1;
    while (b + hold < tuneLen && kTune[b + hold] == 99) ++hold;
    const size_t at = Count((16 + b) * beat);  // the tune enters in the fifth bar
    if (at >= n) break;
    const size_t len = std::min(n - at, Count(beat * hold * 0.92));
    Samples note = Note(len, tuneBase * std::pow(2.0, kTune[b] / 12.0), true, rng);
    Mix(left, note, at, 0.42);
    Mix(right, note, at, 0.3);
  }
  // A final chord held to the end.
  const size_t endAt = Count(bars * 4 * beat);
  if (endAt < n) {
    for (int iv : {0, 4, 7, 12, 16}) {
      Samples chord = Note(n - endAt, base * std::pow(2.0, iv / 12.0), true, rng);
      Decay(chord, 0.05, 1.2);
      Mix(left, chord, endAt, 0.2);
      Mix(right, chord, endAt, 0.2);
    }
  }
  Room(left, 2.5, 0.3, rng);
  Room(right, 2.7, 0.3, rng);
  Fade(left, 0.01, 0.8);
  Fade(right, 0.01, 0.8);
  out.left = std::move(left);
  out.right = std::move(right);
}

Samples Wind(size_t n, double strength, SynthRandom& rng) {
  Samples s = Filtered(Noise(n, rng), Biquad::Kind::kBandPass, 500.0, 0.6);
  Modulate(s, Wobble(n, 0.4, 0.85, rng));
  Samples gust = Filtered(Noise(n, rng), Biquad::Kind::kBandPass, 1400.0, 6.0);
  Modulate(gust, Wobble(n, 0.25, 1.0, rng));
  Mix(s, gust, 0, 1.2 * strength);
  Scale(s, strength);
  return s;
}

void Chirps(Samples& s, int count, double lo, double hi, SynthRandom& rng) {
  for (int k = 0; k < count; ++k) {
    const size_t at = static_cast<size_t>(rng.Unit() * static_cast<double>(s.size()));
    const int notes = 2 + rng.Below(5);
    const double f = rng.Range(lo, hi);
    for (int j = 0; j < notes; ++j) {
      Samples c = Glide(Count(0.06), f * rng.Range(0.9, 1.0), f * rng.Range(1.1, 1.4));
      Fade(c, 0.01, 0.03);
      Mix(s, c, at + Count(0.09 * j), 0.12);
    }
  }
}

void MakeAmbience(const Params& p, size_t n, SynthRandom& rng, SoundSignal& out) {
  const int scene = static_cast<int>(p.at("scene"));
  Samples ch[2];
  for (Samples& s : ch) {
    s.assign(n, 0.0f);
    switch (scene) {
      case 0:  // snow and wind
        Mix(s, Wind(n, 1.0, rng), 0, 1.0);
        break;
      case 1: {  // rain
        Samples hiss = Filtered(Noise(n, rng), Biquad::Kind::kHighPass, 1800.0, 0.7);
        Mix(s, hiss, 0, 0.35);
        Mix(s, Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 350.0, 0.7), 0, 0.6);
        for (size_t k = 0; k < n / 150; ++k) {
          Samples drop = Glide(Count(0.012), rng.Range(2000.0, 5000.0), 1500.0);
          Decay(drop, 0.0005, 0.003);
          Mix(s, drop, static_cast<size_t>(rng.Unit() * static_cast<double>(n)), rng.Range(0.02, 0.12));
        }
        break;
      }
      case 2:  // fog, still cold: almost nothing but drips
        Mix(s, Filtered(Noise(n, rng), Biquad::Kind::kLowPass, 200.0, 0.7), 0, 0.5);
        for (int k = 0; k < 25; ++k) {
          Samples drip = Glide(Count(0.05), rng.Range(1200.0, 2200.0), 2600.0);
          Decay(drip, 0.001, 0.01);
          Mix(s, drip, static_cast<size_t>(rng.Unit() * static_cast<double>(n)), 0.08);
        }
        break;
      case 3: {  // overcast autumn: a light wind and leaves
        Mix(s, Wind(n, 0.5, rng), 0, 1.0);
        Samples leaves = Filtered(Noise(n, rng), Biquad::Kind::kHighPass, 3000.0, 0.7);
        Modulate(leaves, Wobble(n, 1.5, 1.0, rng));
        Mix(s, leaves, 0, 0.15);
        break;
      }
      case 4:  // dawn or dusk: birds over a breeze
        Mix(s, Wind(n, 0.3, rng), 0, 1.0);
        Chirps(s, 28, 2500.0, 4500.0, rng);
        break;
      case 5:  // night: crickets
        Mix(s, Wind(n, 0.15, rng), 0, 1.0);
        for (double t = rng.Unit() * 0.3; t < static_cast<double>(n) / kRate; t += rng.Range(0.35, 0.7)) {
          const double f = rng.Range(4200.0, 4800.0);
          for (int j = 0; j < 3; ++j) {
            Samples c = Glide(Count(0.018), f, f);
            Fade(c, 0.004, 0.006);
            Mix(s, c, Count(t + 0.03 * j), 0.05);
          }
        }
        break;
      case 6:  // windy night: wind and an owl
        Mix(s, Wind(n, 0.6, rng), 0, 1.0);
        for (int k = 0; k < 3; ++k) {
          const size_t at = static_cast<size_t>(rng.Unit() * static_cast<double>(n));
          for (int j = 0; j < 2; ++j) {
            Samples hoot = Glide(Count(j == 0 ? 0.25 : 0.6), 400.0, 360.0);
            Fade(hoot, 0.05, 0.15);
            Mix(s, hoot, at + Count(0.45 * j), 0.1);
          }
        }
        break;
      default:  // day: birds, insects and a breeze
        Mix(s, Wind(n, 0.35, rng), 0, 1.0);
        Chirps(s, 18, 2800.0, 5200.0, rng);
        break;
    }
  }
  // Guns far off, now and then, heard a little to one side: a dull thud a few times louder
  // than the scene around it, never more.
  double sum = 0.0;
  for (const Samples& s : ch)
    for (float v : s) sum += static_cast<double>(v) * v;
  const double sceneRms = std::sqrt(sum / static_cast<double>(2 * std::max<size_t>(1, n)));
  const int guns = static_cast<int>(p.at("guns"));
  for (int k = 0; k < guns; ++k) {
    const size_t at = Count(rng.Range(0.5, static_cast<double>(n) / kRate - 4.0));
    Samples gun = Filtered(Blast(Count(3.0), 2.5, rng), Biquad::Kind::kLowPass, 250.0, 0.7);
    Echo(gun, 0.7, 0.35, 3);
    double peak = 1e-9;
    for (float v : gun) peak = std::max(peak, static_cast<double>(std::fabs(v)));
    const double gain = 6.0 * sceneRms / peak;
    const double pan = rng.Unit();
    Mix(ch[0], gun, at, gain * (0.5 + 0.5 * pan));
    Mix(ch[1], gun, at, gain * (1.0 - 0.5 * pan));
  }
  out.left = std::move(ch[0]);
  out.right = std::move(ch[1]);
}

void MakeSpeech(const std::vector<float>& speech, SynthRandom& rng, SoundSignal& out) {
  // Trim the silence espeak-ng leaves around the phrase, then shout it: band-limited, driven
  // into soft clipping, with a little room.
  size_t a = 0, b = speech.size();
  while (a < b && std::fabs(speech[a]) < 0.01f) ++a;
  while (b > a && std::fabs(speech[b - 1]) < 0.01f) --b;
  Samples s(speech.begin() + static_cast<std::ptrdiff_t>(a), speech.begin() + static_cast<std::ptrdiff_t>(b));
  const size_t maxLen = Count(2.35);  // with the room's tail, under 2.5 s
  if (s.size() > maxLen) {
    s.resize(maxLen);
    Fade(s, 0.0, 0.15);
  }
  s = Filtered(s, Biquad::Kind::kHighPass, 280.0, 0.7);
  Biquad presence(Biquad::Kind::kPeak, 2000.0, 1.0, kRate, 6.0);
  presence.Run(s);
  s = Filtered(s, Biquad::Kind::kLowPass, 4200.0, 0.7);
  double peak = 1e-9;
  for (float v : s) peak = std::max(peak, static_cast<double>(std::fabs(v)));
  Scale(s, 1.0 / peak);
  SoftClip(s, 2.2);
  s.resize(s.size() + Count(0.12), 0.0f);
  Room(s, 1.2, 0.18, rng);
  Fade(s, 0.004, 0.03);
  out.left = std::move(s);
}

const std::vector<Recipe>& Recipes() {
  static const std::vector<Recipe> recipes = {
      {"gun", Shape::kMono, -22, {{"calibre", {}, 7, 240, 75}}, MakeGun},
      {"smallarms", Shape::kMono, -23,
       {{"weapon", {"rifle", "semi", "smg", "lmg", "mg", "hmg", "heavy", "squad", "mixed"}, 0, 0, 0},
        {"rate", {}, 0, 1500, 0},
        {"shots", {}, 1, 40, 1}},
       MakeSmallArms},
      {"explosion", Shape::kMono, -20, {{"size", {}, 0, 4, 0}}, MakeExplosion},
      {"incoming", Shape::kMono, -24, {{"tone", {"shell", "mortar", "rocket"}, 0, 0, 0}}, MakeIncoming},
      {"impact", Shape::kMono, -22,
       {{"kind", {"ricochet", "shatter", "penetrate", "immobilise", "bullets"}, 0, 0, 0}}, MakeImpact},
      {"hatch", Shape::kMono, -24, {{"action", {"open", "close"}, 0, 0, 0}}, MakeHatch},
      {"bog", Shape::kMono, -24, {}, MakeBog},
      {"engine", Shape::kLoop, -25,
       {{"rpm", {}, 300, 4000, 800}, {"cylinders", {}, 2, 16, 6}, {"size", {}, 0, 1, 0.5}},
       MakeEngine},
      {"fire", Shape::kLoop, -25, {{"size", {}, 0, 1, 0.5}}, MakeFire},
      {"collapse", Shape::kMono, -21, {{"size", {}, 0, 2, 0}}, MakeCollapse},
      {"aircraft", Shape::kMono, -22, {{"pass", {"approach", "mg", "cannon", "bombs", "rockets"}, 0, 0, 0}},
       MakeAircraft},
      {"assault", Shape::kMono, -22, {{"grenades", {}, 0, 4, 2}, {"bursts", {}, 0, 4, 2}}, MakeAssault},
      {"cry", Shape::kMono, -23, {{"vowel", {"a", "o", "e", "u"}, 0, 0, 0}, {"pitch", {}, 80, 400, 180}}, MakeCry},
      {"click", Shape::kMono, -27, {{"pitch", {}, 200, 6000, 1500}}, MakeClick},
      {"blip", Shape::kMono, -27, {{"pitch", {}, 200, 6000, 1200}, {"pitch2", {}, 200, 6000, 1600}}, MakeBlip},
      {"chime", Shape::kMono, -25,
       {{"pitch", {}, 100, 3000, 660}, {"notes", {}, 1, 6, 3}, {"dir", {"up", "down"}, 0, 0, 0},
        {"voice", {"bell", "brass"}, 0, 0, 0}},
       MakeChime},
      {"march", Shape::kStereo, -20, {{"tempo", {}, 60, 180, 120}}, MakeMarch},
      {"ambience", Shape::kStereoLoop, -28,
       {{"scene", {"snow", "rain", "fog", "autumn", "twilight", "night", "windy-night", "day"}, 0, 0, 0},
        {"guns", {}, 0, 6, 2}},
       MakeAmbience},
      {"voice", Shape::kSpeech, -21,
       {{"speaker", {}, 0, 7, 0}, {"pitch", {}, 0, 99, 50}, {"rate", {}, 80, 400, 200}},
       nullptr},
  };
  return recipes;
}

const Recipe* Find(const std::string& name) {
  for (const Recipe& r : Recipes())
    if (name == r.name) return &r;
  return nullptr;
}

bool ParseNumber(const std::string& s, double& v) {
  if (s.empty() || s.size() > 12) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end && *end == 0 && std::isfinite(v) && (std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '-');
}

bool ReadParams(const Recipe& r, const SoundRow& row, Params& p, std::string& reason) {
  for (const ArgRule& a : r.args) p[a.name] = a.def;
  for (const auto& [key, value] : row.args) {
    const ArgRule* rule = nullptr;
    for (const ArgRule& a : r.args)
      if (key == a.name) rule = &a;
    if (key == "seed") {
      double v = 0;
      if (!ParseNumber(value, v) || v < 0 || v > 1e6 || v != std::floor(v)) {
        reason = "argument seed is a whole number from 0 to 1000000";
        return false;
      }
      p["seed"] = v;
      continue;
    }
    if (!rule) {
      reason = std::string("recipe ") + r.name + " has no argument \"" + key + "\"";
      return false;
    }
    if (!rule->words.empty()) {
      bool found = false;
      for (size_t i = 0; i < rule->words.size(); ++i)
        if (value == rule->words[i]) {
          p[key] = static_cast<double>(i);
          found = true;
        }
      if (!found) {
        std::string list;
        for (const char* w : rule->words) list += std::string(list.empty() ? "" : ", ") + w;
        reason = "argument " + key + " is one of " + list + ", not \"" + value + "\"";
        return false;
      }
    } else {
      double v = 0;
      if (!ParseNumber(value, v) || v < rule->lo || v > rule->hi) {
        char text[160];
        std::snprintf(text, sizeof text, "argument %s is a number from %g to %g, not \"%s\"", key.c_str(), rule->lo,
                      rule->hi, value.c_str());
        reason = text;
        return false;
      }
      p[key] = v;
    }
  }
  return true;
}

void Level(SoundSignal& s, double levelDb) {
  double sum = 0.0, peak = 0.0;
  size_t count = 0;
  for (const std::vector<float>* ch : {&s.left, &s.right})
    for (float v : *ch) {
      sum += static_cast<double>(v) * v;
      peak = std::max(peak, static_cast<double>(std::fabs(v)));
      ++count;
    }
  if (count == 0 || peak <= 0.0) return;
  const double rms = std::sqrt(sum / static_cast<double>(count));
  const double gain = std::min(Db(levelDb) / rms, SoundRecipes::kPeakLimit / peak);
  Scale(s.left, gain);
  Scale(s.right, gain);
}

}  // namespace

const char* SoundRecipes::SpeechVoice(const std::string& language) {
  if (language == "de") return "de";
  if (language == "en-us") return "en-us";
  if (language == "en-gb") return "en";
  if (language == "fr") return "fr";
  if (language == "pl") return "pl";
  return nullptr;
}

bool SoundRecipes::Check(const SoundRow& row, std::string& reason) {
  const Recipe* r = Find(row.recipe);
  if (!r) {
    reason = "unknown recipe \"" + row.recipe + "\"";
    return false;
  }
  const bool speechRecipe = r->shape == Shape::kSpeech;
  if (speechRecipe != row.IsSpeech()) {
    reason = speechRecipe ? "the voice recipe needs a language and a phrase" : "only the voice recipe speaks a phrase";
    return false;
  }
  if (speechRecipe && !SpeechVoice(row.language)) {
    reason = "unknown language \"" + row.language + "\" (de, en-us, en-gb, fr, pl)";
    return false;
  }
  const bool formOk = r->shape == Shape::kSpeech ? row.form == SoundRow::Form::kMono
                      : r->shape == Shape::kMono ? row.form == SoundRow::Form::kMono
                      : r->shape == Shape::kLoop ? row.form == SoundRow::Form::kMonoLoop
                      : r->shape == Shape::kStereo ? row.form == SoundRow::Form::kStream
                                                   : row.form == SoundRow::Form::kStreamLoop;
  if (!formOk) {
    reason = "recipe " + row.recipe + " does not make this form";
    return false;
  }
  Params p;
  return ReadParams(*r, row, p, reason);
}

bool SoundRecipes::Make(const SoundRow& row, const std::vector<float>* speech, SoundSignal& out, std::string& reason) {
  const Recipe* r = Find(row.recipe);
  Params p;
  if (!r || !ReadParams(*r, row, p, reason)) {
    if (reason.empty()) reason = "unknown recipe \"" + row.recipe + "\"";
    return false;
  }
  const uint64_t seed = static_cast<uint64_t>(row.number) * 1000003ull + static_cast<uint64_t>(p.count("seed") ? p["seed"] : 0.0);
  SynthRandom rng(seed);
  out = SoundSignal();
  if (r->shape == Shape::kSpeech) {
    if (!speech || speech->empty()) {
      reason = "espeak-ng cannot speak the phrase";
      return false;
    }
    MakeSpeech(*speech, rng, out);
  } else {
    const size_t n = Count(row.seconds);
    const size_t fade = row.IsLoop() ? std::min(n / 4, Count(row.IsStereo() ? 1.0 : 0.25)) : 0;
    r->make(p, n + fade, rng, out);
    out.left.resize(n + fade, 0.0f);
    if (row.IsStereo()) out.right.resize(n + fade, 0.0f);
    if (row.IsLoop()) {
      CloseLoop(out.left, n, fade);
      if (row.IsStereo()) CloseLoop(out.right, n, fade);
    } else {
      // Every one-shot ends in silence, without a click.
      Fade(out.left, 0.0, 0.005);
      if (row.IsStereo()) Fade(out.right, 0.0, 0.005);
    }
  }
  Level(out, r->levelDb);
  return true;
}
