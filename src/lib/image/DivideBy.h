#pragma once
// Division of non-negative integers by one divisor used many times (the
// window of a running-sum filter): a multiplication by a 64-bit reciprocal
// gives exactly the quotient of the division for every dividend and divisor
// below 2^32.  Other dividends are divided.
#include <cstdint>

class DivideBy {
public:
    explicit DivideBy(int64_t divisor)
        : divisor_(divisor),
          reciprocal_(divisor > 0 && divisor <= UINT32_MAX ? UINT64_MAX / static_cast<uint64_t>(divisor) + 1 : 0) {}

    int64_t operator()(int64_t n) const {
        if (reciprocal_ != 0 && n >= 0 && n <= UINT32_MAX)
            return static_cast<int64_t>((static_cast<unsigned __int128>(reciprocal_) * static_cast<uint64_t>(n)) >> 64);
        return n / divisor_;
    }

private:
    int64_t divisor_;
    uint64_t reciprocal_;
};
