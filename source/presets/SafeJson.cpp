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

// juce::JSON reads the character after a minus sign (white space aside) as a
// number's first digit, whatever it is: "-x5" reads as -725, and a character
// far from the digits overflows the integer it adds up (undefined behaviour)
// with far fewer than the 18 digits below. Whether every minus sign outside
// strings (juce::JSON takes single-quoted ones too) and exponents leads a digit.
bool minusSignsLeadDigits (const std::string& json)
{
    char quote = 0; // of the string being read
    bool escaped = false;
    for (std::size_t i = 0; i < json.size(); ++i)
    {
        const char c = json[i];
        if (quote != 0)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == quote)
                quote = 0;
        }
        else if (c == '"' || c == '\'')
        {
            quote = c;
        }
        else if (c == '-' && ! (i > 0 && (json[i - 1] == 'e' || json[i - 1] == 'E')))
        {
            auto next = i + 1;
            while (next < json.size() && (json[next] == ' ' || (json[next] >= '\t' && json[next] <= '\r')))
                ++next;
            if (next == json.size() || ! isDigit (json[next]))
                return false;
        }
    }
    return true;
}

// juce::JSON reads a number's leading digits into a 64-bit integer, and its
// exponent digits into an int, without checking for overflow: undefined past
// 18 and 9 digits. Such a number is written again in floating point with a
// short exponent: the value stays as near as a double holds it (past the
// largest finite double, that one). Returns whether it changed anything.
bool writeLongNumbersInFloatingPoint (std::string& json)
{
    constexpr std::size_t kLongestSafeDigitRun = 18, kLongestSafeExponent = 4;
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
            auto digitsEnd = i;
            while (digitsEnd < json.size() && isDigit (json[digitsEnd]))
                ++digitsEnd;
            // The whole number: digits, fraction and exponent.
            auto end = digitsEnd;
            std::size_t exponentDigits = 0;
            bool inExponent = false;
            while (end < json.size() && (isDigit (json[end]) || json[end] == '.' || json[end] == 'e' || json[end] == 'E'
                                         || ((json[end] == '+' || json[end] == '-') && (json[end - 1] == 'e' || json[end - 1] == 'E'))))
            {
                inExponent = inExponent || json[end] == 'e' || json[end] == 'E';
                exponentDigits += inExponent && isDigit (json[end]) ? 1 : 0;
                ++end;
            }
            if (digitsEnd - i > kLongestSafeDigitRun || exponentDigits > kLongestSafeExponent)
            {
                double value = numberFromText (juce::String (json.substr (i, end - i)));
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
int hexDigitsValue (const std::string& json, std::size_t at) noexcept
{
    int value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
    {
        const int digit = juce::CharacterFunctions::getHexDigitValue (static_cast<juce::juce_wchar> (static_cast<unsigned char> (json[i])));
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// JSON writes a character beyond the 16-bit range as two escapes, a UTF-16
// surrogate pair ("\ud83c\udfb9"), and so does juce::JSON; but juce::JSON
// reads each escape as a character of its own, so such a character (in a
// preset's name, say) came back as two broken ones. Each pair inside a string
// is written here as the character's own UTF-8 bytes; a lone surrogate stays
// as it is. Returns whether it changed anything.
bool joinEscapedSurrogatePairs (std::string& json)
{
    constexpr std::size_t kPairLength = 12; // \uXXXX\uXXXX
    std::string written;
    bool changed = false;
    char quote = 0; // of the string being read
    for (std::size_t i = 0; i < json.size();)
    {
        const char c = json[i];
        if (quote == 0)
        {
            if (c == '"' || c == '\'')
                quote = c;
        }
        else if (c == quote)
        {
            quote = 0;
        }
        else if (c == '\\' && i + 1 < json.size())
        {
            if (json[i + 1] == 'u' && i + kPairLength <= json.size() && json[i + 6] == '\\' && json[i + 7] == 'u')
            {
                const int high = hexDigitsValue (json, i + 2), low = hexDigitsValue (json, i + 8);
                if (high >= 0xd800 && high <= 0xdbff && low >= 0xdc00 && low <= 0xdfff)
                {
                    const auto character = static_cast<juce::juce_wchar> (0x10000 + ((high - 0xd800) << 10) + (low - 0xdc00));
                    char bytes[4];
                    juce::CharPointer_UTF8 (bytes).write (character);
                    written.append (bytes, 4);
                    changed = true;
                    i += kPairLength;
                    continue;
                }
            }
            written.append (json, i, 2); // the escape whole: an escaped backslash ends here
            i += 2;
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

double numberFromText (const juce::String& text)
{
    const std::string bytes (text.toRawUTF8());
    const char* start = bytes.data();
    const char* const end = start + bytes.size();
    while (start < end && (*start == ' ' || (*start >= '\t' && *start <= '\r')))
        ++start;
    if (start < end && *start == '+' && start + 1 < end && *(start + 1) != '-')
        ++start;

    double value = 0.0;
    const auto [last, error] = std::from_chars (start, end, value);
    if (error == std::errc::invalid_argument)
        return 0.0;
    if (error != std::errc::result_out_of_range)
        return value;

    // Too large or too small for a double: which, from the exponent's sign,
    // or without one, from whether the whole part has a non-zero digit.
    const bool negative = *start == '-';
    const std::string number (start, last);
    const auto exponent = number.find_first_of ("eE");
    bool tooLarge = false;
    if (exponent != std::string::npos)
        tooLarge = exponent + 1 >= number.size() || number[exponent + 1] != '-';
    else
        tooLarge = number.substr (0, number.find ('.')).find_first_of ("123456789") != std::string::npos;
    if (! tooLarge)
        return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
}

double doubleFrom (const juce::var& value)
{
    return value.isString() ? numberFromText (value.toString()) : static_cast<double> (value);
}

juce::var parseJsonSafely (const juce::String& text, int deepestNesting)
{
    if (! nestsAtMost (text, deepestNesting))
        return {};
    std::string json (text.toRawUTF8());
    if (! minusSignsLeadDigits (json))
        return {}; // no JSON: as juce::JSON would find, were it to check
    const bool numbersRewritten = writeLongNumbersInFloatingPoint (json);
    const bool pairsJoined = joinEscapedSurrogatePairs (json);
    if (numbersRewritten || pairsJoined)
        return juce::JSON::parse (juce::String::fromUTF8 (json.data(), static_cast<int> (json.size())));
    return juce::JSON::parse (text);
}

} // namespace plumora
