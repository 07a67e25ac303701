#include "model/firfilter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void FIRFilter::zshift(double* x, int n, int shift)
{
    if (std::abs((long long)shift) > n) {
        std::fprintf(stderr, "Shift too large in FIR filter\n");
        return;
    }
    if (!x || n <= 0)
        return;
    if (shift > 0) {
        std::copy_backward(x, x + (n - shift), x + n);
        std::fill(x, x + shift, 0.0);
    } else if (shift < 0) {
        const int s = -shift;
        std::copy(x + s, x + n, x);
        std::fill(x + (n - s), x + n, 0.0);
    }
}
