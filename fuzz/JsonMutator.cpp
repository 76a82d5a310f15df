#include "JsonMutator.h"

#include "presets/SafeJson.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace plumora::fuzz
{
namespace
{
using Random = std::mt19937;

// As deep as the readers parse the data files.
constexpr int kDeepestNesting = 32;
// Enough places to choose from in any real file, and a bound on the work.
constexpr std::size_t kMostPlaces = 4096;

int below (Random& random, int count)
{
    return count <= 1 ? 0 : static_cast<int> (random() % static_cast<unsigned> (count));
}

bool oneIn (Random& random, int count)
{
    return below (random, count) == 0;
}

// A number written exactly as given: digits a double would not keep, and
// values past its range, are what the readers' number handling must survive.
struct NumberText : juce::ReferenceCountedObject
{
    explicit NumberText (const char* literal) : text (literal) {}
    const char* text;
};

const char* const kNumberTexts[] = {
    "0", "-0", "1", "-1", "0.5", "2", "16", "127", "128", "0.999999", "1e-45", "1e-320", "3.4028235e38", "3.4028236e38",
    "1e39", "-1e39", "1e308", "1.7976931348623157e308", "1e309", "-1e309", "1e99999", "5e-99999", "0.31e3900000011920929",
    "2147483647", "2147483648", "-2147483649", "4294967296", "9223372036854775807", "9223372036854775808",
    "18446744073709551616", "-99999999999999999999", "123456789012345678901234567890", "00042", "1E3", "-0.0e-0",
};

const char* const kOddTexts[] = {
    "", " ", "nan", "-nan", "inf", "-inf", "1e39", "0x10", "1,5", " 0.5 ", "+3", "\xc3\xa9t\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xb9",
    "factory:", "../../etc/passwd", "C:\\presets\\x.pmpreset", "\\u0000",
};

juce::var numberText (const char* literal)
{
    return juce::var (new NumberText (literal));
}

juce::var wordFrom (const juce::StringArray& words, Random& random)
{
    return words.isEmpty() ? juce::var (juce::String ("x")) : juce::var (words[below (random, words.size())]);
}

// A value of any kind, weighted towards what the formats hold.
juce::var anyValue (Random& random, const JsonWords& words)
{
    switch (below (random, 12))
    {
        case 0: case 1: case 2: return wordFrom (words.texts, random);
        case 3:                 return wordFrom (words.keys, random);
        case 4: case 5:         return numberText (kNumberTexts[below (random, static_cast<int> (std::size (kNumberTexts)))]);
        case 6:                 return std::ldexp (static_cast<double> (random()) / 4294967296.0 - 0.5, below (random, 40) - 10);
        case 7:                 return below (random, 33) - 16;
        case 8:                 return oneIn (random, 2);
        case 9:                 return juce::String (kOddTexts[below (random, static_cast<int> (std::size (kOddTexts)))]);
        case 10:                return oneIn (random, 2) ? juce::var (new juce::DynamicObject()) : juce::var (juce::Array<juce::var>());
        default:                return {};
    }
}

// A copy of a subtree that shares nothing it could change (var::clone drops
// the number texts, which are not DynamicObjects).
juce::var copyOf (const juce::var& value)
{
    if (auto* object = value.getDynamicObject())
    {
        auto* copy = new juce::DynamicObject();
        for (const auto& property : object->getProperties())
            copy->setProperty (property.name, copyOf (property.value));
        return juce::var (copy);
    }
    if (auto* array = value.getArray())
    {
        juce::Array<juce::var> copy;
        for (const auto& entry : *array)
            copy.add (copyOf (entry));
        return copy;
    }
    return value; // numbers, texts and number texts never change in place
}

bool isNumber (const juce::var& value)
{
    return value.isInt() || value.isInt64() || value.isDouble() || dynamic_cast<NumberText*> (value.getObject()) != nullptr;
}

juce::var nearbyNumber (const juce::var& value, Random& random)
{
    const double x = dynamic_cast<NumberText*> (value.getObject()) != nullptr ? 1.0 : static_cast<double> (value);
    switch (below (random, 8))
    {
        case 0:  return -x;
        case 1:  return x * 2.0;
        case 2:  return x / 2.0;
        case 3:  return x + 1.0;
        case 4:  return x - 1.0;
        case 5:  return x * std::pow (10.0, below (random, 13) - 6);
        case 6:  return std::nextafter (x, oneIn (random, 2) ? 1.0e300 : -1.0e300);
        default: return std::abs (x) < 1.0e18 ? juce::var (static_cast<juce::int64> (std::floor (x))) : juce::var (x);
    }
}

// libFuzzer's byte mutations of a text, kept to ASCII so the tree stays
// valid text (the byte-level path tries invalid UTF-8 in whole files).
juce::String mutatedText (const juce::String& text, Random& random)
{
    std::string bytes (text.toRawUTF8());
    if (bytes.empty())
        bytes = "x"; // libFuzzer mutates at least one byte
    const std::size_t size = bytes.size();
    bytes.resize (size + 16);
    bytes.resize (LLVMFuzzerMutate (reinterpret_cast<std::uint8_t*> (bytes.data()), size, bytes.size()));
    bytes.erase (std::remove_if (bytes.begin(), bytes.end(), [] (char c) { return c == 0 || static_cast<unsigned char> (c) >= 0x80; }),
                 bytes.end());
    if (bytes.empty() && oneIn (random, 2))
        bytes = "x";
    return juce::String (bytes.c_str());
}

// Where a value sits: a property of an object, or an entry of an array.
struct Place
{
    juce::var parent;
    juce::Identifier key;
    int index = -1;

    juce::var get() const { return index >= 0 ? (*parent.getArray())[index] : parent.getDynamicObject()->getProperty (key); }

    void set (const juce::var& value) const
    {
        if (index >= 0)
            parent.getArray()->set (index, value);
        else
            parent.getDynamicObject()->setProperty (key, value);
    }

    void remove() const
    {
        if (index >= 0)
            parent.getArray()->remove (index);
        else
            parent.getDynamicObject()->removeProperty (key);
    }
};

void collectPlaces (const juce::var& value, std::vector<Place>& places)
{
    if (places.size() >= kMostPlaces)
        return;
    if (auto* object = value.getDynamicObject())
    {
        for (const auto& property : object->getProperties())
        {
            places.push_back ({ value, property.name, -1 });
            collectPlaces (property.value, places);
        }
    }
    else if (auto* array = value.getArray())
    {
        for (int i = 0; i < array->size(); ++i)
        {
            places.push_back ({ value, {}, i });
            collectPlaces (array->getReference (i), places);
        }
    }
}

juce::Identifier anyKey (Random& random, const JsonWords& words, const juce::String& previous)
{
    auto key = oneIn (random, 4) ? mutatedText (previous, random) : wordFrom (words.keys, random).toString();
    return key.isEmpty() ? juce::Identifier ("x") : juce::Identifier (key);
}

// Renames a property where it stands, the others keeping their order.
void renameProperty (juce::DynamicObject& object, const juce::Identifier& from, const juce::Identifier& to)
{
    juce::NamedValueSet renamed;
    for (const auto& property : object.getProperties())
        renamed.set (property.name == from ? to : property.name, property.value);
    object.getProperties() = renamed;
}

// Adds a value next to a place: after it in an array, as a new property in an object.
void insertNextTo (const Place& place, const juce::var& value, Random& random, const JsonWords& words)
{
    if (place.index >= 0)
        place.parent.getArray()->insert (place.index + below (random, 2), value);
    else
        place.parent.getDynamicObject()->setProperty (anyKey (random, words, place.key.toString()), value);
}

void addToContainer (const juce::var& container, const juce::var& value, Random& random, const JsonWords& words)
{
    if (auto* array = container.getArray())
        array->add (value);
    else if (auto* object = container.getDynamicObject())
        object->setProperty (anyKey (random, words, {}), value);
}

void mutateOnce (const juce::var& root, Random& random, const JsonWords& words)
{
    std::vector<Place> places;
    collectPlaces (root, places);
    if (places.empty())
    {
        addToContainer (root, anyValue (random, words), random, words);
        return;
    }

    const auto& place = places[static_cast<std::size_t> (below (random, static_cast<int> (places.size())))];
    const auto value = place.get();
    switch (below (random, 11))
    {
        case 0: case 1:
            place.set (anyValue (random, words));
            break;
        case 2: case 3:
            if (isNumber (value))
                place.set (oneIn (random, 3) ? numberText (kNumberTexts[below (random, static_cast<int> (std::size (kNumberTexts)))])
                                             : nearbyNumber (value, random));
            else if (value.isString())
                place.set (oneIn (random, 2) ? wordFrom (words.texts, random) : juce::var (mutatedText (value.toString(), random)));
            else if (value.isObject() || value.isArray())
                addToContainer (value, anyValue (random, words), random, words);
            else
                place.set (anyValue (random, words));
            break;
        case 4: case 5:
            if (place.index < 0)
                renameProperty (*place.parent.getDynamicObject(), place.key, anyKey (random, words, place.key.toString()));
            else
                place.set (wordFrom (words.texts, random));
            break;
        case 6:
            place.remove();
            break;
        case 7:
            insertNextTo (place, copyOf (value), random, words);
            break;
        case 8:
            insertNextTo (place, anyValue (random, words), random, words);
            break;
        case 9:
            // Another part of the same document in this place: real structure
            // where the reader expects something else.
            place.set (copyOf (places[static_cast<std::size_t> (below (random, static_cast<int> (places.size())))].get()));
            break;
        default:
            if (oneIn (random, 2))
            {
                place.set (juce::Array<juce::var> { value });
            }
            else
            {
                auto* wrapper = new juce::DynamicObject();
                wrapper->setProperty (anyKey (random, words, {}), value);
                place.set (juce::var (wrapper));
            }
            break;
    }
}

void writeText (juce::MemoryOutputStream& out, const juce::String& text)
{
    out << '"';
    for (auto* byte = text.toRawUTF8(); *byte != 0; ++byte)
    {
        const auto c = static_cast<unsigned char> (*byte);
        if (c == '"' || c == '\\')
            out << '\\' << static_cast<char> (c);
        else if (c < 0x20)
            out << "\\u" << juce::String::toHexString (static_cast<int> (c)).paddedLeft ('0', 4);
        else
            out.writeByte (static_cast<char> (c));
    }
    out << '"';
}

void writeValue (juce::MemoryOutputStream& out, const juce::var& value)
{
    if (auto* number = dynamic_cast<NumberText*> (value.getObject()))
    {
        out << number->text;
    }
    else if (value.isString())
    {
        writeText (out, value.toString());
    }
    else if (value.isBool())
    {
        out << (static_cast<bool> (value) ? "true" : "false");
    }
    else if (value.isInt() || value.isInt64())
    {
        out << juce::String (static_cast<juce::int64> (value));
    }
    else if (value.isDouble())
    {
        const double x = value;
        char digits[40];
        std::snprintf (digits, sizeof (digits), "%.17g", x);
        out << (std::isfinite (x) ? digits : (x > 0.0 ? "1e999" : (x < 0.0 ? "-1e999" : "null")));
    }
    else if (auto* array = value.getArray())
    {
        out << '[';
        for (int i = 0; i < array->size(); ++i)
        {
            if (i > 0)
                out << ',';
            writeValue (out, array->getReference (i));
        }
        out << ']';
    }
    else if (auto* object = value.getDynamicObject())
    {
        out << '{';
        bool first = true;
        for (const auto& property : object->getProperties())
        {
            if (! std::exchange (first, false))
                out << ',';
            writeText (out, property.name.toString());
            out << ':';
            writeValue (out, property.value);
        }
        out << '}';
    }
    else
    {
        out << "null";
    }
}

// The tree of a text, read as the product reads a file's bytes; void when
// it is no JSON object or array.
juce::var parse (const std::uint8_t* data, std::size_t size)
{
    return parseJsonSafely (juce::String::createStringFromData (data, static_cast<int> (size)), kDeepestNesting);
}

// The tree's text into out when it fits: its size, else 0.
std::size_t writeInto (const juce::var& root, std::uint8_t* out, std::size_t maxSize)
{
    juce::MemoryOutputStream text;
    writeValue (text, root);
    if (text.getDataSize() == 0 || text.getDataSize() > maxSize)
        return 0;
    std::memcpy (out, text.getData(), text.getDataSize());
    return text.getDataSize();
}
} // namespace

std::size_t mutateJson (std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed, const JsonWords& words)
{
    Random random (seed);
    if (! oneIn (random, 5))
    {
        const auto root = parse (data, size);
        if (root.isObject() || root.isArray())
        {
            for (int mutations = 1 + below (random, 3); mutations > 0; --mutations)
                mutateOnce (root, random, words);
            if (const auto written = writeInto (root, data, maxSize))
                return written;
        }
    }
    return LLVMFuzzerMutate (data, size, maxSize);
}

std::size_t crossOverJson (const std::uint8_t* first, std::size_t firstSize, const std::uint8_t* second, std::size_t secondSize,
                           std::uint8_t* out, std::size_t maxOutSize, unsigned int seed, const JsonWords& words)
{
    Random random (seed);
    // libFuzzer asks for a crossover as often as for a mutation; parsing two
    // documents costs twice as much, and most of the search is in mutations.
    if (! oneIn (random, 4) && firstSize > 0 && firstSize <= maxOutSize)
    {
        std::memcpy (out, first, firstSize);
        return mutateJson (out, firstSize, maxOutSize, static_cast<unsigned int> (random()), words);
    }

    const auto root = parse (first, firstSize);
    const auto donor = parse (second, secondSize);
    if ((root.isObject() || root.isArray()) && (donor.isObject() || donor.isArray()))
    {
        std::vector<Place> places, donorPlaces;
        collectPlaces (root, places);
        collectPlaces (donor, donorPlaces);
        const auto graft = donorPlaces.empty() ? donor : donorPlaces[static_cast<std::size_t> (below (random, static_cast<int> (donorPlaces.size())))].get();
        if (places.empty())
            addToContainer (root, copyOf (graft), random, {});
        else
            places[static_cast<std::size_t> (below (random, static_cast<int> (places.size())))].set (copyOf (graft));
        if (const auto written = writeInto (root, out, maxOutSize))
            return written;
    }

    // The start of one and the end of the other.
    const auto head = std::min ({ firstSize, maxOutSize, static_cast<std::size_t> (below (random, static_cast<int> (firstSize) + 1)) });
    const auto tailStart = std::min (secondSize, static_cast<std::size_t> (below (random, static_cast<int> (secondSize) + 1)));
    const auto tail = std::min (secondSize - tailStart, maxOutSize - head);
    if (head > 0)
        std::memcpy (out, first, head);
    if (tail > 0)
        std::memcpy (out + head, second + tailStart, tail);
    return head + tail;
}

} // namespace plumora::fuzz
