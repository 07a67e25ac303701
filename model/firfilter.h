#ifndef FIRFILTER_H
#define FIRFILTER_H

// Non-recursive filtering helpers.
class FIRFilter
{
public:
    // Moves the n values of x by shift places (towards higher indices when
    // positive) and fills the vacated places with 0. A shift longer than the
    // array changes nothing and says so on standard error.
    static void zshift(double* x, int n, int shift);
};

#endif // FIRFILTER_H
