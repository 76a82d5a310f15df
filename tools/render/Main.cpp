// plumora-render: plays a preset through the real processor, without a host
// or an audio device, and writes the result as a WAV (and a picture).

#include "RenderCommand.h"

#include <juce_events/juce_events.h>

#include <iostream>

#if JUCE_WINDOWS
 #include <io.h>
 #define PLUMORA_IS_TERMINAL(stream) (_isatty (_fileno (stream)) != 0)
#else
 #include <unistd.h>
 #define PLUMORA_IS_TERMINAL(stream) (isatty (fileno (stream)) != 0)
#endif

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));
    return plumora::render::runRenderCommand (arguments, std::cout, std::cerr, PLUMORA_IS_TERMINAL (stderr));
}
