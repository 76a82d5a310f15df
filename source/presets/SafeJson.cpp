#include "SafeJson.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace plumora
{
namespace
{
bool nestsAtMost (const juce::String& text, int deepestNesting)
{
    int depth = 0;
    bool inString = false, escaped = false;
    for (auto c = text.getCharPointer(); ! c.isEmpty(); ++c)
    {
        const auto ch = *c;
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (ch == '\\')
                escaped = true;
            else if (ch == '"')
                inString = false;
        }
        else if (ch == '"')
            inString = true;
        else if ((ch == '{' || ch == '[') && ++depth > deepestNesting)
            return false;
        else if (ch == '}' || ch == ']')
            --depth;
    }
    return true;
}

bool isDigit (char c) noexcept { return c >= '0' && c <= '9'; }

// Digits at i begin a number, rather than continue its fraction or exponent.
bool startsNumber (const std::string& json, std::size_t i) noexcept
{
    if (i == 0)
        return true;
    const char before = json[i - 1];
    const bool exponentSign = (before == '+' || before == '-') && i >= 2 && (json[i - 2] == 'e' || json[i - 2] == 'E');
    return ! (before == '.' || before == 'e' || before == 'E' || exponentSign);
}

// juce::JSON reads a number's leading digits into a 64-bit integer without
// checking for overflow, which is undefined past 18 digits. Such a number is
// written in floating point instead, which juce::JSON reads as a double: the
// value stays as near as a double holds it (past the largest finite double,
// that one). Returns whether it changed anything.
bool writeLongNumbersInFloatingPoint (std::string& json)
{
    constexpr std::size_t kLongestSafeDigitRun = 18;
    std::string written;
    bool changed = false, inString = false, escaped = false;
    for (std::size_t i = 0; i < json.size();)
    {
        const char c = json[i];
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        }
        else if (c == '"')
        {
            inString = true;
        }
        else if (isDigit (c) && startsNumber (json, i))
        {
            auto end = i;
            while (end < json.size() && isDigit (json[end]))
                ++end;
            if (end - i > kLongestSafeDigitRun)
            {
                // The whole number: digits, fraction and exponent.
                while (end < json.size() && (isDigit (json[end]) || json[end] == '.' || json[end] == 'e' || json[end] == 'E'
                                             || ((json[end] == '+' || json[end] == '-') && (json[end - 1] == 'e' || json[end - 1] == 'E'))))
                    ++end;
                double value = std::numeric_limits<double>::max();
                std::from_chars (json.data() + i, json.data() + end, value);
                if (! std::isfinite (value))
                    value = std::numeric_limits<double>::max();
                char number[32];
                const auto result = std::to_chars (number, number + sizeof (number), value, std::chars_format::scientific, 16);
                written.append (number, result.ptr);
                changed = true;
            }
            else
            {
                written.append (json, i, end - i);
            }
            i = end;
            continue;
        }
        written += c;
        ++i;
    }
    if (changed)
        json.swap (written);
    return changed;
}
} // namespace

juce::var parseJsonSafely (const juce::String& text, int deepestNesting)
{
    if (! nestsAtMost (text, deepestNesting))
        return {};
    std::string json (text.toRawUTF8());
    if (writeLongNumbersInFloatingPoint (json))
        return juce::JSON::parse (juce::String::fromUTF8 (json.data(), static_cast<int> (json.size())));
    return juce::JSON::parse (text);
}

} // namespace plumora
