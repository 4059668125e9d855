#pragma once
#include <cstddef>
#include <vector>

#include "Biquad.h"
#include "SynthRandom.h"

// The building blocks the recipes are made of, on float samples at 44,100 Hz.
namespace synth {

using Samples = std::vector<float>;
constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

inline size_t Count(double seconds) { return seconds <= 0.0 ? 0 : static_cast<size_t>(seconds * kRate + 0.5); }

Samples Noise(size_t n, SynthRandom& rng);
Samples Filtered(Samples s, Biquad::Kind kind, double frequency, double q);
// Exponential decay of time constant tau after a linear attack.
void Decay(Samples& s, double attack, double tau);
// Linear fades at both ends.
void Fade(Samples& s, double in, double out);
// A sine whose frequency glides exponentially from f0 to f1 over the samples.
Samples Glide(size_t n, double f0, double f1, double phase = 0.0);
// A band-limited-enough sawtooth with a gliding frequency (softened by a one-pole filter).
Samples Saw(size_t n, double f0, double f1, SynthRandom* jitter = nullptr, double jitterAmount = 0.0);
void Mix(Samples& into, const Samples& s, size_t at, double gain);
void Scale(Samples& s, double gain);
// tanh soft clipping, normalised so full drive still peaks near 1.
void SoftClip(Samples& s, double drive);
// A few early reflections and a short decaying tail.
void Room(Samples& s, double size, double wet, SynthRandom& rng);
// The echo of open country: a few late, dull repeats.
void Echo(Samples& s, double delay, double feedback, int repeats);
// Band-limited noise shaped by a slow random wobble (wind, rumble).
Samples Wobble(size_t n, double rateHz, double depth, SynthRandom& rng);
// Multiply sample by sample.
void Modulate(Samples& s, const Samples& by);
// A modal "struck metal" tone: inharmonic partials of base frequency f, each with its decay.
Samples Metal(size_t n, double f, double tau, SynthRandom& rng);
// A gunshot-like report: crack, body and thump; weight 0 (pistol) to 1 (heavy gun).
Samples Report(size_t n, double weight, SynthRandom& rng);
// A blast of size 0 (grenade) to 4 (heavy bomb).
Samples Blast(size_t n, double size, SynthRandom& rng);
// Loops: makes s seamless by crossfading its extra tail (the part past n) into its head.
void CloseLoop(Samples& s, size_t n, size_t fade);

}  // namespace synth
