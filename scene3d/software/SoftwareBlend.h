#pragma once

#include <algorithm>
#include <cstdint>

// The per-pixel arithmetic of the software device, shared by the general
// rasteriser and the row kernels of the straight blend, so that both give the
// same words bit for bit.

// x / 255, rounded, for x up to 255 * 255 * 2.
inline uint32_t scDiv255(uint32_t X) {
  X += 128;
  return (X + (X >> 8)) >> 8;
}

// Texel times vertex colour, channel by channel.
inline uint32_t scModulate(uint32_t T, uint32_t V) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= scDiv255(((T >> shift) & 0xFF) * ((V >> shift) & 0xFF)) << shift;
  return out;
}

// Source over destination as a transparent canvas blends: colour
// s * sa + d * (1 - sa), alpha sa + da * (1 - sa). A source of alpha 0 gives
// the destination unchanged.
inline uint32_t scBlendKeepingCoverage(uint32_t S, uint32_t D) {
  const uint32_t sa = S >> 24, ia = 255 - sa;
  uint32_t rb = (S & 0xFF00FFu) * sa + (D & 0xFF00FFu) * ia + 0x800080u;
  rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
  uint32_t g = ((S >> 8) & 0xFFu) * sa + ((D >> 8) & 0xFFu) * ia + 0x80u;
  g = ((g + (g >> 8)) >> 8) & 0xFFu;
  uint32_t a = sa * 255 + (D >> 24) * ia + 0x80u;
  a = (a + (a >> 8)) >> 8;
  return a << 24 | rb | g << 8;
}

// A premultiplied source over the destination: every channel, alpha too,
// s + d * (1 - sa). A word whose colour exceeds its alpha is no premultiplied
// colour; it saturates, as a device's blend unit clamps.
inline uint32_t scBlendPremultiplied(uint32_t S, uint32_t D) {
  const uint32_t ia = 255 - (S >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min<uint32_t>(255, ((S >> shift) & 0xFF) + scDiv255(((D >> shift) & 0xFF) * ia)) << shift;
  return out;
}

// A straight colour as a premultiplied one, which is what modulates a
// premultiplied texel: the product stays premultiplied.
inline uint32_t scPremultiply(uint32_t C) {
  const uint32_t a = C >> 24;
  if (a == 255) return C;
  return a << 24 | scDiv255(((C >> 16) & 0xFF) * a) << 16 | scDiv255(((C >> 8) & 0xFF) * a) << 8 |
         scDiv255((C & 0xFF) * a);
}

// Out[i] = Src[i] over Dst[i], Src[i] modulated by Vertex unless that is
// opaque white. Straight texels blend as scBlendKeepingCoverage; premultiplied
// ones are modulated by Vertex premultiplied and blend as
// scBlendPremultiplied, those of alpha 0 leaving the destination as it is.
// Out may be Dst.
void scBlendRow(const uint32_t* Src, const uint32_t* Dst, uint32_t* Out, int Count, uint32_t Vertex,
                bool Premultiplied);
// The same over a destination that is Color everywhere: a function of the
// source alone, as after a clear.
void scBlendRowOver(const uint32_t* Src, uint32_t Color, uint32_t* Out, int Count, uint32_t Vertex,
                    bool Premultiplied);
// Whether the row kernels run eight pixels at a time (AVX2, when the
// processor has it); tests turn it off to check the SSE2 kernels too.
bool scBlendUsesAvx2();
void scBlendAllowAvx2(bool Value);
