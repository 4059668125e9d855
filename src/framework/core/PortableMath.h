#pragma once
// Exponential, sine and cosine of a float that give the same bits on every machine and in
// every build: each is worked out with nothing but +, -, x and / in 64-bit-mantissa long
// double arithmetic and rounded to float once, which makes it correctly rounded in practice
// (the C library's versions take different code paths with and without FMA and then differ
// in the last bit for a few arguments). Whatever must repeat exactly from a seed, such as
// the random map, uses these.

// e to the power x; 0 below -104 and infinity above 89, not-a-number for not-a-number.
float PortableExpF(float x);
// Sine and cosine of x radians; meant for |x| up to a few thousand (the reduction by pi / 2
// keeps about 100 bits of pi).
float PortableSinF(float x);
float PortableCosF(float x);
