#include "model/realfft.h"

#include <fftw3.h>

#include <algorithm>
#include <cstring>
#include <list>

namespace {

struct CachedPlan
{
    int n = 0;
    double* in = nullptr;
    fftw_complex* out = nullptr;
    fftw_plan plan = nullptr;
};

// A few plans are kept; user selections come in many lengths, spectrograms in
// one, so a small most-recently-used list is enough.
class PlanCache
{
public:
    ~PlanCache() { clear(); }

    CachedPlan& planFor(int n)
    {
        for (auto it = plans_.begin(); it != plans_.end(); ++it) {
            if (it->n == n) {
                plans_.splice(plans_.begin(), plans_, it);
                return plans_.front();
            }
        }
        if (plans_.size() >= kMaxPlans) {
            release(plans_.back());
            plans_.pop_back();
        }
        CachedPlan p;
        p.n = n;
        p.in = fftw_alloc_real(size_t(n));
        p.out = fftw_alloc_complex(size_t(n / 2 + 1));
        p.plan = fftw_plan_dft_r2c_1d(n, p.in, p.out, FFTW_ESTIMATE);
        plans_.push_front(p);
        return plans_.front();
    }

    void clear()
    {
        for (CachedPlan& p : plans_)
            release(p);
        plans_.clear();
        fftw_cleanup();
    }

private:
    static void release(CachedPlan& p)
    {
        fftw_destroy_plan(p.plan);
        fftw_free(p.in);
        fftw_free(p.out);
    }

    static constexpr size_t kMaxPlans = 8;
    std::list<CachedPlan> plans_;
};

PlanCache& cache()
{
    static PlanCache instance;
    return instance;
}

} // namespace

void RealFFT::forward(int n, const double* in, std::complex<double>* out)
{
    if (n <= 0)
        return;
    CachedPlan& p = cache().planFor(n);
    std::memcpy(p.in, in, sizeof(double) * size_t(n));
    fftw_execute(p.plan);
    const int bins = n / 2 + 1;
    for (int k = 0; k < bins; ++k)
        out[k] = std::complex<double>(p.out[k][0], p.out[k][1]);
}

void RealFFT::clearCache()
{
    cache().clear();
}
