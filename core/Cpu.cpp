#include "core/Cpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace cpu {
namespace {
__attribute__((target("avx"))) void ClearUpperVectorStateAvx() { _mm256_zeroupper(); }
}  // namespace

void ClearUpperVectorState() {
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) ClearUpperVectorStateAvx();
}
}  // namespace cpu
#else
namespace cpu {
void ClearUpperVectorState() {}
}  // namespace cpu
#endif
