#include "SafeJson.h"

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
} // namespace

juce::var parseJsonSafely (const juce::String& text, int deepestNesting)
{
    return nestsAtMost (text, deepestNesting) ? juce::JSON::parse (text) : juce::var();
}

} // namespace plumora
