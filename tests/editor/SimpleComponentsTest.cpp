// The S!MPLE page's timbre library and sound map on a real processor: what a
// click, a drag or a restored preset writes into the host parameters and the
// engine's table, what building them writes (nothing), and how they behave
// with missing or broken data files.

#include "SectionTestSupport.h"
#include "simple/SimpleTestSupport.h"

#include "dsp/FactoryWavetables.h"
#include "editor/look/Palette.h"
#include "editor/simple/SoundMap.h"
#include "editor/simple/TimbreLibrary.h"
#include "simple/Timbre.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace plumora;

namespace
{
juce::Point<float> centreOf (juce::Rectangle<float> area) { return area.getCentre(); }

juce::MouseEvent press (juce::Component& c, juce::Point<float> at) { return test::mouseEvent (c, at, juce::ModifierKeys::leftButtonModifier, at); }

juce::MouseEvent dragEvent (juce::Component& c, juce::Point<float> to, juce::Point<float> from)
{
    return test::mouseEvent (c, to, juce::ModifierKeys::leftButtonModifier, from, 1, true);
}

// Pixels of the notice's orange in a picture of component within area.
int noticePixels (juce::Component& component, juce::Rectangle<int> area)
{
    const auto image = component.createComponentSnapshot (component.getLocalBounds());
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            if (c.getRed() - c.getBlue() > 60 && c.getRed() > c.getGreen())
                ++count;
        }
    return count;
}

struct TimbreLibraryComponent : test::SectionFixture
{
    std::vector<juce::String> timbresHeard;

    std::unique_ptr<TimbreLibrary> makeLibrary (std::vector<TimbreCategory> categories)
    {
        auto library = std::make_unique<TimbreLibrary> (context, std::move (categories));
        library->setBounds (0, 0, 330, 300);
        library->onTimbreSelected = [this] (const Timbre& timbre) { timbresHeard.push_back (timbre.name); };
        return library;
    }

    std::unique_ptr<TimbreLibrary> shippedLibrary() { return makeLibrary (loadTimbreLibrary (test::shippedResources())); }

    static int indexOf (const std::vector<TimbreCategory>& library, const juce::String& category)
    {
        for (std::size_t i = 0; i < library.size(); ++i)
            if (library[i].name == category)
                return static_cast<int> (i);
        return -1;
    }

    // Clicks the category's button, then the timbre's tile, as a user would.
    void clickTimbre (TimbreLibrary& library, const std::vector<TimbreCategory>& categories, const juce::String& category,
                      const juce::String& timbre)
    {
        const int c = indexOf (categories, category);
        ASSERT_GE (c, 0) << category;
        click (library, centreOf (library.currentLayout().categoryButtons[static_cast<std::size_t> (c)]));
        const auto& timbres = categories[static_cast<std::size_t> (c)].timbres;
        const auto found = std::find_if (timbres.begin(), timbres.end(), [&] (const Timbre& t) { return t.name == timbre; });
        ASSERT_NE (found, timbres.end()) << timbre;
        click (library, centreOf (library.currentLayout().tiles[static_cast<std::size_t> (found - timbres.begin())]));
    }

    // The first channel of a held note's next seconds.
    std::vector<float> render (double seconds, bool startNote)
    {
        std::vector<float> out;
        juce::AudioBuffer<float> buffer (2, 512);
        for (int b = 0; b < static_cast<int> (seconds * 48000.0 / 512.0); ++b)
        {
            juce::MidiBuffer midi;
            if (b == 0 && startNote)
                midi.addEvent (juce::MidiMessage::noteOn (1, 45, 0.8f), 0);
            processor.processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 512);
        }
        return out;
    }

    // High-frequency share of a signal: the energy of its first difference
    // over its own energy (near 0 for a low sine, larger for a bright wave).
    static double brightness (const std::vector<float>& x, std::size_t from)
    {
        std::vector<float> difference;
        for (auto i = from + 1; i < x.size(); ++i)
            difference.push_back (x[i] - x[i - 1]);
        return test::energy (difference, 0, difference.size()) / std::max (test::energy (x, from, x.size()), 1e-12);
    }
};

std::set<juce::String> idsOf (std::initializer_list<ParamID> ids)
{
    std::set<juce::String> names;
    for (const auto id : ids)
        names.insert (parameterSpec (id).id);
    return names;
}

void expectNear (juce::Point<float> actual, juce::Point<float> expected, const std::string& what)
{
    EXPECT_LT (actual.getDistanceFrom (expected), 1e-3f) << what << ": (" << actual.x << ", " << actual.y << ") against (" << expected.x
                                                         << ", " << expected.y << ")";
}

void expectOnlyAmong (const std::vector<juce::String>& changed, const std::set<juce::String>& allowed, const std::string& what)
{
    for (const auto& id : changed)
        EXPECT_TRUE (allowed.count (id) > 0) << what << ": " << id << " moved";
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Timbre library

TEST_F (TimbreLibraryComponent, BuildingTheLibraryAndTheMapChangesNoParameterAndNoTable)
{
    const auto before = normalisedValues();
    const auto table = processor.engine().wavetable (0);
    const auto tableId = processor.engine().wavetableId (0);
    {
        auto library = shippedLibrary();
        SoundMap map (context);
        map.setBounds (0, 0, 600, 300);
        library->onTimbreSelected = [&map] (const Timbre& t) { map.setTimbreMaps (t.brightnessMap, t.harshnessMap); };
        library->createComponentSnapshot (library->getLocalBounds());
        map.createComponentSnapshot (map.getLocalBounds());
        library->getTooltip();
        map.getTooltip();
        library->selectCategory (2); // browsing categories plays nothing yet
        pushToEngine();
    }
    EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String> {});
    EXPECT_EQ (processor.engine().wavetable (0), table);
    EXPECT_EQ (processor.engine().wavetableId (0), tableId);
}

TEST_F (TimbreLibraryComponent, ClickingATileAppliesExactlyThatTimbreAndLaterOnesResetItsExtras)
{
    const auto categories = loadTimbreLibrary (test::shippedResources());
    auto library = makeLibrary (categories);
    const auto& analog = categories[static_cast<std::size_t> (indexOf (categories, "Analog"))].timbres;
    const auto supersaw = *std::find_if (analog.begin(), analog.end(), [] (const Timbre& t) { return t.name == "Supersaw"; });
    ASSERT_FALSE (supersaw.extraParams.empty()) << "the shipped Supersaw sets extra parameters";

    const auto before = normalisedValues();
    clickTimbre (*library, categories, "Analog", "Supersaw");

    auto allowed = idsOf ({ ParamID::osc1_wt_pos, ParamID::sub_level, ParamID::noise_level, ParamID::osc2_level });
    for (const auto& extra : supersaw.extraParams)
        allowed.insert (parameterSpec (extra.id).id);
    expectOnlyAmong (changedBetween (before, normalisedValues()), allowed, "Supersaw");
    EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), supersaw.defaultWtPosition, 1e-4);
    EXPECT_NEAR (hostValue (ParamID::sub_level), supersaw.subLevel, 1e-4);
    EXPECT_NEAR (hostValue (ParamID::noise_level), supersaw.noiseLevel, 1e-4);
    EXPECT_NEAR (hostValue (ParamID::osc2_level), supersaw.osc2Enabled ? 0.5f : 0.0f, 1e-4);
    for (const auto& extra : supersaw.extraParams)
        EXPECT_NEAR (hostValue (extra.id), extra.value, 1e-3) << parameterSpec (extra.id).id;
    EXPECT_EQ (processor.engine().wavetableId (0), supersaw.wavetable.toStdString());
    EXPECT_EQ (processor.engine().wavetable (0), makeFactoryWavetable (supersaw.wavetable.toStdString()));
    EXPECT_EQ (timbresHeard, std::vector<juce::String> { "Supersaw" });
    EXPECT_EQ (library->selectedTimbre()->name, "Supersaw");
    EXPECT_FLOAT_EQ (library->wtPosition(), supersaw.defaultWtPosition);
    EXPECT_TRUE (library->notice().isEmpty());

    // The next timbre takes the previous one's extras back to their defaults.
    clickTimbre (*library, categories, "Analog", "Stack");
    for (const auto& extra : supersaw.extraParams)
        EXPECT_NEAR (hostValue (extra.id), parameterSpec (extra.id).defaultValue, 1e-4) << parameterSpec (extra.id).id;
    EXPECT_EQ (processor.engine().wavetableId (0), "factory:analog_stack");
}

TEST_F (TimbreLibraryComponent, AClickedTimbreChangesWhatIsHeard)
{
    const auto categories = loadTimbreLibrary (test::shippedResources());
    auto library = makeLibrary (categories);
    const auto before = render (0.3, true);
    clickTimbre (*library, categories, "Analog", "Saw");
    const auto after = render (0.3, false);

    EXPECT_GT (test::energy (after, 4800, after.size()), 1e-6) << "still sounding";
    EXPECT_GT (brightness (after, 4800), 3.0 * brightness (before, 4800)) << "the saw is far brighter than the soft start-up table";
}

TEST_F (TimbreLibraryComponent, SelectByNamesMatchesExactNamesOnly)
{
    const auto categories = loadTimbreLibrary (test::shippedResources());
    const int analog = indexOf (categories, "Analog"), bass = indexOf (categories, "Bass"), texture = indexOf (categories, "Texture");
    struct Case
    {
        const char* category;
        const char* timbre;
        int selectedCategory;
        bool applies;
    };
    const Case cases[] {
        { "Analog", "Saw", analog, true },
        { "Nope", "Saw", texture, false },     // unknown category: nothing changes
        { "analog", "Saw", texture, false },   // names match exactly
        { "Bass", "Nope", bass, false },       // unknown timbre: only the category
        { "Bass", "sub bass", bass, false },
    };
    for (const auto& c : cases)
    {
        auto library = makeLibrary (categories);
        library->selectCategory (texture);
        const auto before = normalisedValues();
        const auto tableId = processor.engine().wavetableId (0);
        timbresHeard.clear();

        library->selectByNames (c.category, c.timbre);

        const std::string what = std::string (c.category) + " / " + c.timbre;
        EXPECT_EQ (library->selectedCategoryIndex(), c.selectedCategory) << what;
        if (c.applies)
        {
            ASSERT_NE (library->selectedTimbre(), nullptr) << what;
            EXPECT_EQ (library->selectedTimbre()->name, c.timbre) << what;
            EXPECT_EQ (timbresHeard, std::vector<juce::String> { c.timbre }) << what;
            EXPECT_EQ (processor.engine().wavetableId (0), "factory:saw") << what;
        }
        else
        {
            EXPECT_EQ (library->selectedTimbreIndex(), -1) << what;
            EXPECT_TRUE (timbresHeard.empty()) << what;
            EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String> {}) << what;
            EXPECT_EQ (processor.engine().wavetableId (0), tableId) << what;
        }
    }
}

TEST_F (TimbreLibraryComponent, TheStripSetsTheTablePositionAcrossItsInnerWidth)
{
    auto library = shippedLibrary();
    const auto strip = library->currentLayout().strip;
    ASSERT_GT (strip.getWidth(), 4.0f);
    const float y = strip.getBottom() - 5.0f;
    const struct
    {
        float x, position;
    } cases[] {
        { strip.getX() + 0.5f, 0.0f },  { strip.getX() + 2.0f, 0.0f },   { strip.getX() + 2.0f + 0.25f * (strip.getWidth() - 4.0f), 0.25f },
        { strip.getRight() - 2.0f, 1.0f }, { strip.getRight() - 0.5f, 1.0f },
    };
    for (const auto& c : cases)
    {
        hostSets (ParamID::osc1_wt_pos, 0.6f);
        expectMovesOnly (ParamID::osc1_wt_pos, [&] { click (*library, { c.x, y }); }, "click at " + std::to_string (c.x));
        EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), c.position, 1e-4) << c.x;
        EXPECT_NEAR (library->wtPosition(), c.position, 1e-6) << c.x;
    }

    // Dragging follows inside the strip only; a press elsewhere never drags it.
    const juce::Point<float> start { strip.getX() + 10.0f, y };
    library->mouseDown (press (*library, start));
    library->mouseDrag (dragEvent (*library, { strip.getCentreX(), y }, start));
    EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), library->wtPosition(), 1e-4);
    EXPECT_NEAR (library->wtPosition(), (strip.getCentreX() - strip.getX() - 2.0f) / (strip.getWidth() - 4.0f), 1e-5);
    library->mouseDrag (dragEvent (*library, { strip.getRight() - 10.0f, strip.getY() - 20.0f }, start));
    EXPECT_NEAR (library->wtPosition(), (strip.getCentreX() - strip.getX() - 2.0f) / (strip.getWidth() - 4.0f), 1e-5);

    const auto header = juce::Point<float> (300.0f, 5.0f);
    library->mouseDown (press (*library, header));
    const auto before = normalisedValues();
    library->mouseDrag (dragEvent (*library, { strip.getX() + 10.0f, y }, header));
    EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String> {});
}

TEST_F (TimbreLibraryComponent, TooltipsNameWhatIsUnderTheMouse)
{
    const auto categories = loadTimbreLibrary (test::shippedResources());
    auto library = makeLibrary (categories);
    const auto& layout = library->currentLayout();
    EXPECT_EQ (library->tooltipAt (centreOf (layout.categoryButtons[0])),
               "Sound category: " + categories[0].name + " - sets the base waveform character");
    EXPECT_EQ (library->tooltipAt (centreOf (layout.tiles[1])), categories[0].timbres[1].name + " - Click to load this wavetable as the sound source");
    EXPECT_EQ (library->tooltipAt (centreOf (layout.strip)), "WT Position - Drag to morph between waveform shapes within the wavetable");
    EXPECT_EQ (library->tooltipAt ({ 200.0f, 2.0f }), "Choose a sound source and wavetable position");
}

TEST_F (TimbreLibraryComponent, ATimbreNamingNoFactoryTableKeepsTheSoundsTableAndSaysSo)
{
    test::TemporaryFolder folder;
    folder.write ("timbres/index.json", R"({"categories": [{"name": "Odd", "timbres": [
        {"name": "Ghost", "wavetable": "factory:no_such_table", "subLevel": 0.4},
        {"name": "Blank", "subLevel": 0.3},
        {"name": "Saw", "wavetable": "factory:saw", "subLevel": 0.2}]}]})");
    const auto categories = loadTimbreLibrary (folder.root);
    ASSERT_EQ (categories.size(), 1u);

    struct Case
    {
        const char* timbre;
        float subLevel;
        bool userTable; // the sound plays a table that is not a factory one
    };
    for (const auto& c : { Case { "Ghost", 0.4f, false }, Case { "Blank", 0.3f, false }, Case { "Ghost", 0.4f, true } })
    {
        if (c.userTable)
            processor.engine().setWavetable (0, std::make_shared<const Wavetable> (buildFactoryWavetable ("factory:sine")), "user:drawn");
        const auto table = processor.engine().wavetable (0);
        const auto tableId = processor.engine().wavetableId (0);
        auto library = makeLibrary (categories);

        clickTimbre (*library, categories, "Odd", c.timbre);

        const std::string what = std::string (c.timbre) + (c.userTable ? " over a user table" : "");
        EXPECT_EQ (processor.engine().wavetable (0), table) << what;
        EXPECT_EQ (processor.engine().wavetableId (0), tableId) << what;
        EXPECT_NEAR (hostValue (ParamID::sub_level), c.subLevel, 1e-4) << what << ": the levels still apply";
        EXPECT_FALSE (library->notice().isEmpty()) << what;
        EXPECT_GT (noticePixels (*library, library->currentLayout().header.toNearestInt()), 0) << what << ": the note is drawn";
        EXPECT_EQ (library->tooltipAt ({ 250.0f, 10.0f }), library->notice()) << what << ": and told in full over it";

        clickTimbre (*library, categories, "Odd", "Saw");
        EXPECT_EQ (processor.engine().wavetableId (0), "factory:saw") << what;
        EXPECT_TRUE (library->notice().isEmpty()) << what << ": a good timbre clears the note";
    }
}

TEST_F (TimbreLibraryComponent, AnEmptyOrBrokenLibraryShowsANoteAndIgnoresClicks)
{
    const struct
    {
        const char* what;
        const char* indexText; // nullptr: no index file at all
    } cases[] {
        { "no index file", nullptr },
        { "not JSON", "{ \"categories\": [ {\"name\": " },
        { "top level is an array", "[ {\"name\": \"Analog\"} ]" },
        { "categories is not an array", "{ \"categories\": \"Analog\" }" },
        { "no categories", "{ \"categories\": [] }" },
    };
    for (const auto& c : cases)
    {
        test::TemporaryFolder folder;
        folder.folder ("timbres");
        if (c.indexText != nullptr)
            folder.write ("timbres/index.json", c.indexText);
        auto categories = loadTimbreLibrary (folder.root);
        ASSERT_TRUE (categories.empty()) << c.what;

        const auto before = normalisedValues();
        auto library = makeLibrary (std::move (categories));
        EXPECT_EQ (library->selectedCategoryIndex(), -1) << c.what;
        EXPECT_FALSE (library->notice().isEmpty()) << c.what;
        EXPECT_GT (noticePixels (*library, library->currentLayout().tileArea.toNearestInt()), 0) << c.what << ": the note is drawn";
        EXPECT_FALSE (library->currentLayout().strip.isEmpty()) << c.what;

        for (float y = 2.0f; y < library->currentLayout().strip.getY(); y += 17.0f)
            for (float x = 2.0f; x < 330.0f; x += 23.0f)
                click (*library, { x, y });
        library->selectTimbre (0);
        library->selectByNames ("Analog", "Stack");
        EXPECT_EQ (changedBetween (before, normalisedValues()), std::vector<juce::String> {}) << c.what;
        EXPECT_TRUE (timbresHeard.empty()) << c.what;
        EXPECT_EQ (library->tooltipAt ({ 165.0f, 60.0f }), "Choose a sound source and wavetable position") << c.what;
    }
}

// ---------------------------------------------------------------------------------------------
// Sound map

namespace
{
struct SoundMapComponent : test::SectionFixture
{
    SoundMap map { context };

    SoundMapComponent() { map.setBounds (0, 0, 484, 252); } // plot 400 x 200 from (42, 26)

    static juce::Point<float> pixelAt (float x, float y) { return { 42.0f + 400.0f * x, 26.0f + 200.0f * (1.0f - y) }; }

    void dragTo (juce::Point<float> to, juce::Point<float> from) { map.mouseDrag (dragEvent (map, to, from)); }

    void expectSoundAt (float x, float y, const std::string& what)
    {
        EXPECT_NEAR (hostValue (ParamID::filt_cutoff), 200.0f * std::pow (90.0f, x), 2e-3f * 200.0f * std::pow (90.0f, x)) << what;
        EXPECT_NEAR (hostValue (ParamID::eq_high_gain), 16.0f * x - 8.0f, 1e-2) << what;
        EXPECT_NEAR (hostValue (ParamID::dist_drive), 0.8f * y, 1e-4) << what;
        EXPECT_NEAR (hostValue (ParamID::filt_reso), 0.6f * y, 1e-4) << what;
        EXPECT_NEAR (hostValue (ParamID::filt_drive), 0.5f * y, 1e-4) << what;
    }
};
} // namespace

TEST_F (SoundMapComponent, StartsWarmInTheMiddleWithoutATrail)
{
    EXPECT_FLOAT_EQ (map.brightness(), 0.5f);
    EXPECT_FLOAT_EQ (map.harshness(), 0.5f);
    EXPECT_EQ (map.label(), "Warm");
    EXPECT_TRUE (map.trail().empty());
    expectNear (map.dotPosition(), pixelAt (0.5f, 0.5f), "the dot");
    const auto picture = map.createComponentSnapshot (map.getLocalBounds());
    EXPECT_EQ (picture.getPixelAt (242, 126), palette::accent) << "the dot is drawn where it sits";
}

TEST_F (SoundMapComponent, DragsToTheCornersAndCentreWriteTheMappedValues)
{
    const auto mapped = idsOf ({ ParamID::filt_cutoff, ParamID::eq_high_gain, ParamID::dist_drive, ParamID::filt_reso, ParamID::filt_drive });
    const struct
    {
        juce::Point<float> pixel;
        float x, y;
        const char* label;
    } cases[] {
        { pixelAt (0.5f, 0.5f), 0.5f, 0.5f, "Warm" },      { pixelAt (0.0f, 1.0f), 0.0f, 1.0f, "Brooding" },
        { pixelAt (1.0f, 1.0f), 1.0f, 1.0f, "Aggressive" }, { pixelAt (0.0f, 0.0f), 0.0f, 0.0f, "Mellow" },
        { pixelAt (1.0f, 0.0f), 1.0f, 0.0f, "Atmospheric" }, { { -30.0f, 400.0f }, 0.0f, 0.0f, "Mellow" }, // outside: clamped
        { { 600.0f, -10.0f }, 1.0f, 1.0f, "Aggressive" },
    };
    for (const auto& c : cases)
    {
        const auto start = pixelAt (0.3f, 0.6f);
        const auto before = normalisedValues();
        map.mouseDown (press (map, start));
        EXPECT_TRUE (map.isDragging());
        dragTo (c.pixel, start);
        map.mouseUp (dragEvent (map, c.pixel, start));
        EXPECT_FALSE (map.isDragging());

        const std::string what = c.label + std::string (" at ") + std::to_string (c.pixel.x) + ", " + std::to_string (c.pixel.y);
        EXPECT_FLOAT_EQ (map.brightness(), c.x) << what;
        EXPECT_FLOAT_EQ (map.harshness(), c.y) << what;
        EXPECT_EQ (map.label(), juce::String (c.label)) << what;
        expectSoundAt (c.x, c.y, what);
        expectOnlyAmong (changedBetween (before, normalisedValues()), mapped, what + " (no brightness map: table position untouched)");
    }
    map.setPosition (0.5f, 0.5f);
    EXPECT_NEAR (hostValue (ParamID::filt_cutoff), 1897.4f, 1.0f);
    EXPECT_NEAR (hostValue (ParamID::eq_high_gain), 0.0f, 1e-2);
}

TEST_F (SoundMapComponent, TheLabelFollowsTheBandsWithTheEdgesInTheMiddle)
{
    const struct
    {
        float x, y;
        const char* label;
    } cases[] {
        { 0.34f, 0.5f, "Dark" },   { 0.35f, 0.5f, "Warm" },     { 0.65f, 0.5f, "Warm" },    { 0.66f, 0.5f, "Bright" },
        { 0.5f, 0.34f, "Smooth" },   { 0.5f, 0.65f, "Warm" },     { 0.5f, 0.66f, "Harsh" },   { 0.1f, 0.9f, "Brooding" },
        { 0.9f, 0.1f, "Atmospheric" }, { 0.1f, 0.1f, "Mellow" }, { 0.9f, 0.9f, "Aggressive" }, { 2.0f, -1.0f, "Atmospheric" },
    };
    for (const auto& c : cases)
    {
        map.setPosition (c.x, c.y);
        EXPECT_EQ (map.label(), juce::String (c.label)) << c.x << ", " << c.y;
    }
    EXPECT_FLOAT_EQ (map.brightness(), 1.0f) << "set positions clamp";
    EXPECT_FLOAT_EQ (map.harshness(), 0.0f);
}

TEST_F (SoundMapComponent, ATimbresBrightnessMapDrivesTheTablePosition)
{
    const struct
    {
        std::vector<float> brightnessMap;
        float x, position;
    } cases[] {
        { { 0.0f, 0.5f, 1.0f }, 0.75f, 0.75f }, { { 0.0f, 0.5f, 1.0f }, 1.0f, 1.0f }, { { 0.2f, 0.6f, 0.4f }, 0.25f, 0.4f },
        { { 0.3f }, 0.9f, 0.3f },               { { 0.1f, 0.9f }, 0.0f, 0.1f },
    };
    for (const auto& c : cases)
    {
        map.setTimbreMaps (c.brightnessMap, {});
        map.setPosition (c.x, 0.5f);
        EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), c.position, 1e-4) << "x " << c.x;
    }

    // Handing over the maps applies them at once, where the dot already is.
    map.setPosition (0.5f, 0.5f);
    map.setTimbreMaps ({ 0.0f, 0.8f }, { 1.0f });
    EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), 0.4f, 1e-4);

    // The page hands each selected timbre's maps over: the map's position
    // replaces the timbre's own starting position.
    TimbreLibrary library (context, loadTimbreLibrary (test::shippedResources()));
    library.setBounds (0, 0, 330, 300);
    library.onTimbreSelected = [this] (const Timbre& t) { map.setTimbreMaps (t.brightnessMap, t.harshnessMap); };
    library.selectByNames ("Analog", "Stack"); // starts at 0.3; its map reads 0.5 at the centre
    EXPECT_NEAR (hostValue (ParamID::osc1_wt_pos), 0.5f, 1e-4);
}

TEST_F (SoundMapComponent, TheTrailKeepsMovesOfMoreThanThreePixelsAndAtMostThirty)
{
    auto at = pixelAt (0.1f, 0.5f);
    map.mouseDown (press (map, at));
    EXPECT_TRUE (map.trail().empty()) << "a press moves the dot without a trail point";

    const auto start = at;
    for (int i = 0; i < 10; ++i)
        dragTo (at += juce::Point<float> (3.0f, 0.0f), start);
    EXPECT_TRUE (map.trail().empty()) << "steps of 3 px leave nothing";

    for (int i = 0; i < 4; ++i)
        dragTo (at += juce::Point<float> (3.5f, 0.0f), start);
    ASSERT_EQ (map.trail().size(), 4u);
    EXPECT_NEAR (map.trail().back().x, at.x - 3.5f, 1e-3) << "the position moved from";

    map.mouseDown (press (map, pixelAt (0.0f, 0.0f)));
    std::vector<juce::Point<float>> left;
    auto point = pixelAt (0.0f, 0.0f);
    for (int i = 0; i < 40; ++i)
    {
        left.push_back (point);
        dragTo (point += juce::Point<float> (5.0f, -4.0f), pixelAt (0.0f, 0.0f));
    }
    ASSERT_EQ (map.trail().size(), SoundMapTrail::kCapacity);
    expectNear (map.trail().front(), left[10], "the oldest points drop out first");
    expectNear (map.trail().back(), left.back(), "the newest point");
}

TEST_F (SoundMapComponent, DoubleClickingATrailPointReturnsToItAndShortensTheTrail)
{
    const auto start = pixelAt (0.1f, 0.2f);
    map.mouseDown (press (map, start));
    std::vector<juce::Point<float>> stops;
    for (int i = 1; i <= 5; ++i)
    {
        stops.push_back (pixelAt (0.1f + 0.15f * static_cast<float> (i), 0.2f + 0.12f * static_cast<float> (i)));
        dragTo (stops.back(), start);
    }
    map.mouseUp (dragEvent (map, stops.back(), start));
    ASSERT_EQ (map.trail().size(), 5u); // the start and the first four stops
    const auto target = map.trail()[2];

    const auto before = normalisedValues();
    map.mouseDoubleClick (test::mouseEvent (map, target + juce::Point<float> (6.0f, -6.0f), {}, target, 2));
    expectNear (map.dotPosition(), target, "the dot");
    EXPECT_NEAR (map.brightness(), 0.1f + 0.15f * 2.0f, 1e-4);
    EXPECT_NEAR (map.harshness(), 0.2f + 0.12f * 2.0f, 1e-4);
    expectSoundAt (map.brightness(), map.harshness(), "restored trail point");
    EXPECT_FALSE (changedBetween (before, normalisedValues()).empty());

    ASSERT_EQ (map.trail().size(), 3u) << "the point and newer ones go; the position left joins";
    expectNear (map.trail()[1], stops[0], "kept");
    expectNear (map.trail()[2], stops[4], "left behind");

    const auto unchanged = normalisedValues();
    map.mouseDoubleClick (test::mouseEvent (map, { 470.0f, 240.0f }, {}, { 470.0f, 240.0f }, 2));
    EXPECT_EQ (changedBetween (unchanged, normalisedValues()), std::vector<juce::String> {}) << "far from every trail point";
    EXPECT_EQ (map.trail().size(), 3u);
}
