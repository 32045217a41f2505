// Some code run by Qt (the raster paint engine, image conversions) leaves the
// upper halves of the AVX registers dirty; the plain SSE maths of the
// almanac's computations then runs about ten times slower until they are
// cleared. One vzeroupper before each computing stretch costs nothing.
#pragma once

namespace cpu {
void ClearUpperVectorState();
}
