#pragma once

#include <cstdio>
#include <cstdlib>

namespace plumora
{

// The shortest decimal (1 to 9 significant digits) near value that
// readsBackAs (candidate) accepts; value itself when none is. Nine digits
// always read back as the same float.
template <class ReadsBackAs>
double shortestDecimal (float value, ReadsBackAs&& readsBackAs)
{
    char text[32];
    for (int digits = 1; digits <= 9; ++digits)
    {
        std::snprintf (text, sizeof (text), "%.*g", digits, static_cast<double> (value));
        const double candidate = std::strtod (text, nullptr);
        if (readsBackAs (candidate))
            return candidate;
    }
    return static_cast<double> (value);
}

} // namespace plumora
