#include "OverlayMerge.h"

#include <atomic>
#include <emmintrin.h>

namespace {

std::atomic<bool> g_forcePlain{false};

void MergePlain(BYTE* dst, const BYTE* src, int n) {
  for (int i = 0; i < n; ++i)
    if (src[i] != kOverlayTransparent) dst[i] = src[i];
}

void MergeSse2(BYTE* dst, const BYTE* src, int n) {
  const __m128i key = _mm_set1_epi8(static_cast<char>(kOverlayTransparent));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i keep = _mm_cmpeq_epi8(o, key);
    // Most of an overlay is transparent: skip the store for untouched blocks.
    if (_mm_movemask_epi8(keep) == 0xFFFF) continue;
    __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    __m128i r = _mm_or_si128(_mm_and_si128(keep, f), _mm_andnot_si128(keep, o));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
  }
  MergePlain(dst + i, src + i, n - i);
}

}  // namespace

void MergeOverlayForcePlain(bool plain) { g_forcePlain = plain; }

int MergeOverlay(BYTE* frame, const BYTE* overlay, int width, int height) {
  if (!frame || !overlay || width <= 0 || height <= 0) return -1;
  const int stride = Dib24Stride(width);
  const int rowBytes = width * 3;
  const bool plain = g_forcePlain;
  for (int y = 0; y < height; ++y) {
    BYTE* dst = frame + static_cast<size_t>(stride) * y;
    const BYTE* src = overlay + static_cast<size_t>(stride) * y;
    if (plain) MergePlain(dst, src, rowBytes);
    else MergeSse2(dst, src, rowBytes);
  }
  return 0;
}
