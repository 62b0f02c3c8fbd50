#include "MathTbl.h"

#include <cmath>

namespace {

constexpr int kLast = MathTbl::kSize - 1;

// Rounds half up: v - floor(v) of at least 0.5 goes to ceil(v).
double RoundHalfUp(double v)
{
    const double f = std::floor(v);
    return (v - f >= 0.5) ? std::ceil(v) : f;
}

// Clamps into 0..255 before converting, so that huge, infinite or NaN values
// never reach an out-of-range conversion (NaN becomes 0).
std::uint8_t ClampToByte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v > 255.0)
        return 255;
    return static_cast<std::uint8_t>(v);
}

// Truncates toward zero and keeps the low eight bits, as storing an int in a
// byte does; defined for every double (non-finite values give 0).
std::uint8_t TruncToByte(double v)
{
    if (!std::isfinite(v))
        return 0;
    double w = std::fmod(std::trunc(v), 256.0);
    if (w < 0.0)
        w += 256.0;
    return static_cast<std::uint8_t>(w);
}

} // namespace

MathTbl::MathTbl()
{
    for (int i = 0; i < kSize; ++i)
        table[i] = static_cast<std::uint8_t>(i);
}

void MathTbl::Sigmoid(double gain, double centre, double low, double high)
{
    const double lo = 255.0 * low;
    const double hi = 255.0 * high;
    if (lo == hi) {
        for (int i = 0; i < kSize; ++i)
            table[i] = ClampToByte(std::trunc(lo));
        return;
    }
    if (std::fabs(gain) < 0.001) {
        for (int i = 0; i < kSize; ++i)
            table[i] = ClampToByte(std::trunc((hi - lo) * i / 255 + lo));
        return;
    }
    const bool inverse = gain < 0.0;
    const double a = std::fabs(gain);
    const double m = 255.0 * centre;
    const double top = (hi - lo) / (1 + std::exp((m - 255) * a));
    const double bottom = (hi - lo) / (1 + std::exp(a * m));
    const double k = (hi - lo) / (top - bottom);
    for (int i = 0; i < kSize; ++i) {
        double v;
        if (!inverse) {
            v = ((hi - lo) / (1 + std::exp((m - i) * a)) - bottom) * k + lo;
        } else {
            const double t = (i - lo) / k;
            const double q = 1 / ((t + bottom) / (hi - lo)) - 1;
            if (q > 0)
                v = m - std::log(q) / a;
            else
                v = (m > i) ? 0.0 : 255.0;
        }
        table[i] = ClampToByte(RoundHalfUp(v));
    }
}

void MathTbl::Gamma(double gamma, double low, double high)
{
    if (gamma < 0.0)
        return;
    const double lo = 255.0 * low;
    const double hi = 255.0 * high;
    if (lo == hi) {
        for (int i = 0; i < kSize; ++i)
            table[i] = TruncToByte(lo);
        return;
    }
    const double s = (hi - lo) / std::pow(255.0, gamma);
    for (int i = 0; i < kSize; ++i)
        table[i] = TruncToByte(std::pow(static_cast<double>(i), gamma) * s + lo);
}

void MathTbl::Arc(double knee, double low, double high)
{
    const double kneeIndex = std::trunc(255.0 * knee);
    for (int i = 0; i < kSize; ++i) {
        const double x = i / 255.0;
        double v;
        if (i >= kneeIndex) {
            const double r = high - knee;
            if (r > 0) {
                const double t = std::fmin(std::fmax(high - x, 0.0), r);
                v = std::sqrt(r * r - t * t) + knee;
            } else {
                v = high;
            }
        } else {
            const double r = knee - low;
            if (r > 0) {
                const double t = std::fmin(std::fmax(x - low, 0.0), r);
                v = r - std::sqrt(r * r - t * t) + low;
            } else {
                v = low;
            }
        }
        table[i] = TruncToByte(255.0 * v);
    }
}

void MathTbl::Smooth(int n)
{
    double a[kSize];
    double b[kSize];
    for (int i = 0; i < kSize; ++i)
        a[i] = b[i] = table[i];
    for (int pass = 0; pass < n; ++pass) {
        for (int i = 1; i < kLast; ++i)
            b[i] = (a[i - 1] + a[i] + a[i + 1]) / 3;
        for (int i = 1; i < kLast; ++i)
            a[i] = (b[i - 1] + b[i] + b[i + 1]) / 3;
    }
    for (int i = 1; i < kLast; ++i)
        table[i] = static_cast<std::uint8_t>(a[i]);
}
