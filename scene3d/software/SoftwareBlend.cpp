#include "scene3d/software/SoftwareBlend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define UX_BLEND_X86 1
#endif

namespace {

// How the destination is known: read per pixel, one colour, or 0 (the usual
// clear of a transparent frame, where the blend is a premultiply).
enum TDst { dstPixels, dstColor, dstZero };

// Vertex comes premultiplied for a premultiplied source.
template <bool Premul, bool Modulated, TDst Dst>
inline uint32_t BlendOne(uint32_t S, uint32_t D, uint32_t Vertex) {
  const uint32_t s = Modulated ? scModulate(S, Vertex) : S, d = Dst == dstZero ? 0 : D;
  if constexpr (Premul) return (s >> 24) != 0 ? scBlendPremultiplied(s, d) : d;
  return scBlendKeepingCoverage(s, d);
}

#if UX_BLEND_X86
// Pixels as 16-bit channels. Every intermediate stays below 2^16:
// s * sa + d * (255 - sa) <= 255 * 255, and (x + 128) * 257 >> 16 is scDiv255
// exactly for such x. The source's alpha lane weighs 255, so that alpha comes
// out as sa + da * (1 - sa). A premultiplied source is added to
// d * (255 - sa) / 255 instead, after its texels of alpha 0 are zeroed (the
// alpha test); packing saturates what exceeds 255. Runs of empty or opaque
// texels, common in HUD pictures, skip the arithmetic; both masks are taken
// before either test, so that a finely mixed picture costs two well-predicted
// branches.

template <bool Premul, bool Modulated, TDst Dst>
void BlendSse2(const uint32_t* Src, const uint32_t* DstPixels, uint32_t Color, uint32_t* Out, int Count,
               uint32_t Vertex) {
  const __m128i zero = _mm_setzero_si128(), mask = _mm_set1_epi32(int(0xFF000000u));
  const __m128i lanes = _mm_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255), full = _mm_set1_epi16(255);
  const __m128i r128 = _mm_set1_epi16(128), m257 = _mm_set1_epi16(257);
  const __m128i v16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(Vertex)), zero);
  const __m128i c32 = _mm_set1_epi32(Dst == dstZero ? 0 : int(Color));
  const __m128i c16 = _mm_unpacklo_epi8(c32, zero);
  auto div255 = [&](__m128i X) { return _mm_mulhi_epu16(_mm_add_epi16(X, r128), m257); };
  auto blend = [&](__m128i S, __m128i D) {
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(S, 0xFF), 0xFF);
    if constexpr (Premul) return _mm_add_epi16(S, div255(_mm_mullo_epi16(D, _mm_sub_epi16(full, a))));
    const __m128i sa = _mm_mullo_epi16(_mm_or_si128(S, lanes), a);
    if constexpr (Dst == dstZero) return div255(sa);
    return div255(_mm_add_epi16(sa, _mm_mullo_epi16(D, _mm_sub_epi16(full, a))));
  };
  int i = 0;
  for (; i + 4 <= Count; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
    const __m128i d =
        Dst == dstPixels ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(DstPixels + i)) : c32;
    __m128i lo = _mm_unpacklo_epi8(s, zero), hi = _mm_unpackhi_epi8(s, zero);
    if constexpr (Modulated) {
      lo = div255(_mm_mullo_epi16(lo, v16));
      hi = div255(_mm_mullo_epi16(hi, v16));
      s = _mm_packus_epi16(lo, hi);
    }
    const __m128i alpha = _mm_and_si128(s, mask);
    const __m128i none = _mm_cmpeq_epi32(alpha, zero);
    const int empty = _mm_movemask_epi8(none);
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, mask));
    __m128i out;
    if (empty == 0xFFFF) {
      out = d;
    } else if (opaque == 0xFFFF) {
      out = s;
    } else if constexpr (Premul && Dst == dstZero) {
      out = _mm_andnot_si128(none, s);
    } else {
      if constexpr (Premul) {
        s = _mm_andnot_si128(none, s);
        lo = _mm_unpacklo_epi8(s, zero), hi = _mm_unpackhi_epi8(s, zero);
      }
      out = _mm_packus_epi16(blend(lo, Dst == dstPixels ? _mm_unpacklo_epi8(d, zero) : c16),
                             blend(hi, Dst == dstPixels ? _mm_unpackhi_epi8(d, zero) : c16));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), out);
  }
  for (; i < Count; ++i)
    Out[i] = BlendOne<Premul, Modulated, Dst>(Src[i], Dst == dstPixels ? DstPixels[i] : Color, Vertex);
}

#define UX_AVX2 __attribute__((target("avx2")))

UX_AVX2 inline __m256i Div255Avx2(__m256i X) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(X, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

template <bool Premul, TDst Dst>
UX_AVX2 inline __m256i BlendPairAvx2(__m256i S, __m256i D) {
  const __m256i lanes = _mm256_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255);
  const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(S, 0xFF), 0xFF);
  if constexpr (Premul)
    return _mm256_add_epi16(S,
                            Div255Avx2(_mm256_mullo_epi16(D, _mm256_sub_epi16(_mm256_set1_epi16(255), a))));
  const __m256i sa = _mm256_mullo_epi16(_mm256_or_si256(S, lanes), a);
  if constexpr (Dst == dstZero) return Div255Avx2(sa);
  return Div255Avx2(_mm256_add_epi16(sa, _mm256_mullo_epi16(D, _mm256_sub_epi16(_mm256_set1_epi16(255), a))));
}

// The same eight pixels at a time; unpacking and packing stay within each
// 128-bit half, so the order comes back as it went in.
template <bool Premul, bool Modulated, TDst Dst>
UX_AVX2 void BlendAvx2(const uint32_t* Src, const uint32_t* DstPixels, uint32_t Color, uint32_t* Out,
                       int Count, uint32_t Vertex) {
  const __m256i zero = _mm256_setzero_si256(), mask = _mm256_set1_epi32(int(0xFF000000u));
  const __m256i v16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(Vertex)), zero);
  const __m256i c32 = _mm256_set1_epi32(Dst == dstZero ? 0 : int(Color));
  const __m256i c16 = _mm256_unpacklo_epi8(c32, zero);
  int i = 0;
  for (; i + 8 <= Count; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
    const __m256i d =
        Dst == dstPixels ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(DstPixels + i)) : c32;
    __m256i lo = _mm256_unpacklo_epi8(s, zero), hi = _mm256_unpackhi_epi8(s, zero);
    if constexpr (Modulated) {
      lo = Div255Avx2(_mm256_mullo_epi16(lo, v16));
      hi = Div255Avx2(_mm256_mullo_epi16(hi, v16));
      s = _mm256_packus_epi16(lo, hi);
    }
    const __m256i alpha = _mm256_and_si256(s, mask);
    const __m256i none = _mm256_cmpeq_epi32(alpha, zero);
    const unsigned empty = unsigned(_mm256_movemask_epi8(none));
    const unsigned opaque = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, mask)));
    __m256i out;
    if (empty == 0xFFFFFFFFu) {
      out = d;
    } else if (opaque == 0xFFFFFFFFu) {
      out = s;
    } else if constexpr (Premul && Dst == dstZero) {
      out = _mm256_andnot_si256(none, s);
    } else {
      if constexpr (Premul) {
        s = _mm256_andnot_si256(none, s);
        lo = _mm256_unpacklo_epi8(s, zero), hi = _mm256_unpackhi_epi8(s, zero);
      }
      out = _mm256_packus_epi16(
          BlendPairAvx2<Premul, Dst>(lo, Dst == dstPixels ? _mm256_unpacklo_epi8(d, zero) : c16),
          BlendPairAvx2<Premul, Dst>(hi, Dst == dstPixels ? _mm256_unpackhi_epi8(d, zero) : c16));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out + i), out);
  }
  // Legacy SSE code after this (ours and everyone else's) would otherwise
  // pay for the dirty upper halves on every instruction.
  _mm256_zeroupper();
  BlendSse2<Premul, Modulated, Dst>(Src + i, DstPixels ? DstPixels + i : nullptr, Color, Out + i, Count - i,
                                    Vertex);
}

bool HasAvx2 = __builtin_cpu_supports("avx2");

template <bool Premul, bool Modulated, TDst Dst>
void BlendRows(const uint32_t* Src, const uint32_t* DstPixels, uint32_t Color, uint32_t* Out, int Count,
               uint32_t Vertex) {
  if (HasAvx2)
    BlendAvx2<Premul, Modulated, Dst>(Src, DstPixels, Color, Out, Count, Vertex);
  else
    BlendSse2<Premul, Modulated, Dst>(Src, DstPixels, Color, Out, Count, Vertex);
}
#else
template <bool Premul, bool Modulated, TDst Dst>
void BlendRows(const uint32_t* Src, const uint32_t* DstPixels, uint32_t Color, uint32_t* Out, int Count,
               uint32_t Vertex) {
  for (int i = 0; i < Count; ++i)
    Out[i] = BlendOne<Premul, Modulated, Dst>(Src[i], Dst == dstPixels ? DstPixels[i] : Color, Vertex);
}
#endif

template <TDst Dst>
void Dispatch(const uint32_t* Src, const uint32_t* DstPixels, uint32_t Color, uint32_t* Out, int Count,
              uint32_t Vertex, bool Premultiplied) {
  if (Premultiplied) {
    const uint32_t vertex = scPremultiply(Vertex);
    if (vertex == 0xFFFFFFFFu)
      BlendRows<true, false, Dst>(Src, DstPixels, Color, Out, Count, vertex);
    else
      BlendRows<true, true, Dst>(Src, DstPixels, Color, Out, Count, vertex);
  } else if (Vertex == 0xFFFFFFFFu) {
    BlendRows<false, false, Dst>(Src, DstPixels, Color, Out, Count, Vertex);
  } else {
    BlendRows<false, true, Dst>(Src, DstPixels, Color, Out, Count, Vertex);
  }
}

}  // namespace

bool scBlendUsesAvx2() {
#if UX_BLEND_X86
  return HasAvx2;
#else
  return false;
#endif
}

void scBlendAllowAvx2(bool Value) {
#if UX_BLEND_X86
  HasAvx2 = Value && __builtin_cpu_supports("avx2");
#else
  (void)Value;
#endif
}

void scBlendRow(const uint32_t* Src, const uint32_t* Dst, uint32_t* Out, int Count, uint32_t Vertex,
                bool Premultiplied) {
  Dispatch<dstPixels>(Src, Dst, 0, Out, Count, Vertex, Premultiplied);
}

void scBlendRowOver(const uint32_t* Src, uint32_t Color, uint32_t* Out, int Count, uint32_t Vertex,
                    bool Premultiplied) {
  if (Color == 0)
    Dispatch<dstZero>(Src, nullptr, 0, Out, Count, Vertex, Premultiplied);
  else
    Dispatch<dstColor>(Src, nullptr, Color, Out, Count, Vertex, Premultiplied);
}
