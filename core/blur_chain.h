// The left-neighbour chain of a 4-neighbour blur row, four pixels per serial step.
//
// A row of Blur4 is out[x] = (partial[x] + out[x - 1]) >> 2, where partial holds the right, lower
// and upper neighbours (at most 765) and out[-1] is the incoming left value. Because
// floor((a + floor(b / 4)) / 4) = floor((4a + b) / 16), every pixel of a block of four follows
// from the block's incoming left value l alone:
//   out[i + k] = (partial[i] + 4 partial[i + 1] + ... + 4^k partial[i + k] + l) >> (2k + 2).
// Scaled by 4^(3 - k) each of these sums fits 16 bits (at most 65280), so the sums and outputs are
// vector work and only one add and shift per block remains serial.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

inline constexpr int kBlurRowPixels = 320;

// out[x] := (partial[x] + out[x - 1]) >> 2 for x = 0..319, with left as out[-1]; left becomes
// out[319]. partial is 16-byte aligned.
inline void BlurRowChain(const uint16_t* partial, uint8_t* out, unsigned& left) {
#if defined(__SSE2__)
  constexpr int kBlocks = kBlurRowPixels / 4;
  alignas(16) uint16_t scaled[kBlurRowPixels];  // 4^(3-k) x the block sum up to pixel k
  alignas(16) uint64_t carried[kBlocks];        // l x (64, 16, 4, 1), one 16-bit lane per pixel
  // Lanes k = 1..3, 2..3 and 3 of each block of four take the older partials shifted in.
  const __m128i older1 = _mm_set_epi16(-1, -1, -1, 0, -1, -1, -1, 0);
  const __m128i older2 = _mm_set_epi16(-1, -1, 0, 0, -1, -1, 0, 0);
  const __m128i older3 = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  for (int x = 0; x < kBlurRowPixels; x += 8) {
    const __m128i p = _mm_load_si128(reinterpret_cast<const __m128i*>(partial + x));
    const __m128i p1 = _mm_and_si128(_mm_slli_si128(p, 2), older1);
    const __m128i p2 = _mm_and_si128(_mm_slli_si128(p, 4), older2);
    const __m128i p3 = _mm_and_si128(_mm_slli_si128(p, 6), older3);
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(p, 6), _mm_slli_epi16(p1, 4)),
                                      _mm_add_epi16(_mm_slli_epi16(p2, 2), p3));
    _mm_store_si128(reinterpret_cast<__m128i*>(scaled + x), sum);
  }
  constexpr uint64_t kLaneScales = 0x0001000400100040ull;  // 64, 16, 4, 1 from the lowest lane
  unsigned l = left;
  for (int b = 0; b < kBlocks; ++b) {
    carried[b] = l * kLaneScales;
    l = (scaled[4 * b + 3] + l) >> 8;
  }
  left = l;
  for (int x = 0; x < kBlurRowPixels; x += 16) {
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(scaled + x)),
                      _mm_load_si128(reinterpret_cast<const __m128i*>(carried + x / 4))),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(scaled + x + 8)),
                      _mm_load_si128(reinterpret_cast<const __m128i*>(carried + x / 4 + 2))),
        8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
  }
#else
  unsigned l = left;
  for (int x = 0; x < kBlurRowPixels; ++x) {
    l = (partial[x] + l) >> 2;
    out[x] = static_cast<uint8_t>(l);
  }
  left = l;
#endif
}
