#include "Loudness.h"

#include <algorithm>
#include <cmath>

namespace plumora::test
{
namespace
{
struct Biquad
{
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double process (double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Squared K-weighted samples of one channel.
std::vector<double> weightedSquares (const std::vector<float>& x)
{
    Biquad shelf { 1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585 };
    Biquad highPass { 1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621 };
    std::vector<double> squares (x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
    {
        const double y = highPass.process (shelf.process (x[i]));
        squares[i] = y * y;
    }
    return squares;
}
} // namespace

double loudestShortTermLoudness (const std::vector<float>& left, const std::vector<float>& right)
{
    const auto l = weightedSquares (left);
    const auto r = weightedSquares (right);
    const std::size_t n = std::min (l.size(), r.size());
    if (n == 0)
        return -200.0;

    // Running sums make every window O(1).
    std::vector<double> cumulative (n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        cumulative[i + 1] = cumulative[i] + l[i] + r[i];

    const auto window = std::min (n, static_cast<std::size_t> (3.0 * kLoudnessSampleRate));
    const auto hop = static_cast<std::size_t> (0.1 * kLoudnessSampleRate);
    double loudest = 0.0;
    for (std::size_t start = 0; start + window <= n; start += hop)
        loudest = std::max (loudest, (cumulative[start + window] - cumulative[start]) / static_cast<double> (window));
    return loudest > 0.0 ? -0.691 + 10.0 * std::log10 (loudest) : -200.0;
}

} // namespace plumora::test
