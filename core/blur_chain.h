// The left-neighbour chain of a 4-neighbour blur row, four pixels per serial step.
//
// A row of Blur4 is out[x] = (partial[x] + out[x - 1]) >> 2, where partial holds the right, lower
// and upper neighbours (at most 765) and out[-1] is the incoming left value. Because
// floor((a + floor(b / 4)) / 4) = floor((4a + b) / 16), every pixel of a block of four follows
// from the block's incoming left value l alone:
//   out[i + k] = (S[k] + l) >> (2k + 2), S[k] = partial[i] + 4 partial[i + 1] + ... + 4^k partial[i + k].
// S[k] + l is at most 255 x 4^(k + 1), so it fits 16 bits and the shift is a high multiply by
// 2^(14 - 2k): the sums and outputs are vector work and only one add and shift per block remains
// serial. Several rows are blurred at once so that their serial chains overlap instead of waiting
// on each other.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

inline constexpr int kBlurRowPixels = 320;

// Blurs N rows of 320-wide planes in place: row[x] := (row[x + 1] + row[x + 320] + row[x - 320] +
// row[x - 1]) >> 2 for x = 0..319 with left[k] as row k's incoming left value, which becomes its
// last output. No row may be one of the others' neighbours: all are read before any is written.
template <int N>
inline void BlurRows(uint8_t* const* rows, unsigned* left) {
  constexpr int kW = kBlurRowPixels;
#if defined(__SSE2__)
  constexpr int kBlocks = kW / 4;
  alignas(16) uint16_t sums[N][kW];           // S[k] of each pixel's block
  alignas(16) uint16_t incoming[N][kBlocks];  // each block's incoming left value
  const __m128i zero = _mm_setzero_si128();
  // Each 64-bit half is one block: weigh lane k by 4^k, then add lane k - 1, then lanes k - 2
  // and k - 3.
  const __m128i weights = _mm_set_epi16(64, 16, 4, 1, 64, 16, 4, 1);
  auto prefix = [&weights](__m128i partial) {
    __m128i t = _mm_mullo_epi16(partial, weights);
    t = _mm_add_epi16(t, _mm_slli_epi64(t, 16));
    return _mm_add_epi16(t, _mm_slli_epi64(t, 32));
  };
  for (int k = 0; k < N; ++k) {
    const uint8_t* p = rows[k];
    for (int x = 0; x < kW; x += 16) {
      const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x + 1));
      const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x + kW));
      const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x - kW));
      const __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(right, zero), _mm_unpacklo_epi8(below, zero)),
                                       _mm_unpacklo_epi8(above, zero));
      const __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(right, zero), _mm_unpackhi_epi8(below, zero)),
                                       _mm_unpackhi_epi8(above, zero));
      _mm_store_si128(reinterpret_cast<__m128i*>(sums[k] + x), prefix(lo));
      _mm_store_si128(reinterpret_cast<__m128i*>(sums[k] + x + 8), prefix(hi));
    }
  }
  unsigned l[N];
  for (int k = 0; k < N; ++k) l[k] = left[k];
  for (int b = 0; b < kBlocks; ++b) {
    for (int k = 0; k < N; ++k) {
      incoming[k][b] = static_cast<uint16_t>(l[k]);
      l[k] = (sums[k][4 * b + 3] + l[k]) >> 8;
    }
  }
  for (int k = 0; k < N; ++k) left[k] = l[k];
  const __m128i shifts = _mm_set_epi16(1 << 8, 1 << 10, 1 << 12, 1 << 14, 1 << 8, 1 << 10, 1 << 12, 1 << 14);
  for (int k = 0; k < N; ++k) {
    uint8_t* out = rows[k];
    for (int x = 0; x < kW; x += 16) {
      // Four blocks' incoming values, each spread over its block's four lanes.
      __m128i in = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(incoming[k] + x / 4));
      in = _mm_unpacklo_epi16(in, in);
      const __m128i lo = _mm_mulhi_epu16(
          _mm_add_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(sums[k] + x)), _mm_unpacklo_epi32(in, in)),
          shifts);
      const __m128i hi = _mm_mulhi_epu16(
          _mm_add_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(sums[k] + x + 8)), _mm_unpackhi_epi32(in, in)),
          shifts);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
  }
#else
  uint16_t partial[N][kW];
  for (int k = 0; k < N; ++k) {
    const uint8_t* p = rows[k];
    for (int x = 0; x < kW; ++x) partial[k][x] = static_cast<uint16_t>(p[x + 1] + p[x + kW] + p[x - kW]);
  }
  for (int k = 0; k < N; ++k) {
    unsigned l = left[k];
    for (int x = 0; x < kW; ++x) {
      l = (partial[k][x] + l) >> 2;
      rows[k][x] = static_cast<uint8_t>(l);
    }
    left[k] = l;
  }
#endif
}
