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

// Division of dividends below 2^31 by one divisor (1 .. 2^31): a 32-bit
// multiplier and a shift give exactly the quotient, with nothing but a
// widening multiplication per dividend, so loops over many of them are
// vectorised.  With l = ceil(log2 divisor), the multiplier
// ceil(2^(31+l) / divisor) is below 2^32 and exceeds 2^(31+l) / divisor by
// less than 1, an error below 1 / divisor for every such dividend.
class DivideSmallBy {
public:
    explicit DivideSmallBy(uint32_t divisor) : shift_(31 + CeilLog2(divisor)) {
        multiplier_ = static_cast<uint32_t>(((uint64_t{1} << shift_) + divisor - 1) / divisor);
    }

    uint32_t operator()(uint32_t n) const { return static_cast<uint32_t>((uint64_t{n} * multiplier_) >> shift_); }

private:
    static int CeilLog2(uint32_t v) {
        int l = 0;
        while ((uint64_t{1} << l) < v) ++l;
        return l;
    }

    int shift_;
    uint32_t multiplier_ = 0;
};

// Division of dividends below 2^24 by one divisor (1 .. 2^24) in single
// precision, which vectorises best of all.  Dividend n and divisor w are
// exact floats and the quotient q = n / w is correctly rounded, to within
// 2^-24 q.  An integer q (at most n) is exact; otherwise k < q <= k + 1 - 1/w
// for k = floor(q), and rounding, being monotone, lands on k + 1 only if
// 1/w <= 2^-24 q, that is n >= 2^24.  So the truncated float quotient is k.
class DivideInFloatBy {
public:
    static constexpr int64_t kLimit = int64_t{1} << 24;  // dividends and divisor below this, or equal for w

    explicit DivideInFloatBy(int64_t divisor) : divisor_(static_cast<float>(divisor)) {}

    // The conversions through int32_t are single instructions.
    uint32_t operator()(uint32_t n) const {
        return static_cast<uint32_t>(static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(n)) / divisor_));
    }

private:
    float divisor_;
};
