#pragma once

#include <juce_graphics/juce_graphics.h>

// Every colour, font and recurring size the editor draws with. Components
// name these; no other file spells a colour.
namespace plumora::palette
{

// The page colours.
inline const juce::Colour background { 0xff141412 };
inline const juce::Colour pageSimple { 0xff0c0c0a };
inline const juce::Colour panel { 0xff1e1e1a };
inline const juce::Colour control { 0xff2a2a24 };
inline const juce::Colour line { 0xff333328 };
inline const juce::Colour accent { 0xff8dc63f };
inline const juce::Colour selected { 0xff5a8a1a };
inline const juce::Colour text { 0xfff0eed8 };
inline const juce::Colour textDim { 0xff8a8870 };
inline const juce::Colour invisible { 0x00000000 }; // an outline that is not drawn

// The knob's lit dial.
inline const juce::Colour knobShadow { 0x30000000 };
inline const juce::Colour knobBody { 0xff2e2e28 };
inline const juce::Colour knobHighlight { 0x28ffffff };
inline const juce::Colour knobShade { 0x18000000 };
inline const juce::Colour knobRim { 0xff3c3c34 };
inline const juce::Colour knobInnerRing { 0x0cffffff };
inline const juce::Colour dropHighlight { 0x4c8dc63f };
// Around the control that has the keyboard focus (reached with Tab).
inline const juce::Colour focusOutline { 0xb38dc63f };
constexpr juce::uint8 modulationRingAlpha = 0x99;
constexpr juce::uint8 handleAlpha = 0x26;
constexpr juce::uint8 handlePressedAlpha = 0x66;

// The matrix grid.
inline const juce::Colour matrixBand { 0x262a2a24 };
inline const juce::Colour matrixCellOutline { 0x4c333328 };

// The visual editors' curves.
inline const juce::Colour lfoCurve { 0xcc4a9eff };
inline const juce::Colour envelopeFill { 0x1a4aff7a };
inline const juce::Colour envelopeCurve { 0xcc4aff7a };
inline const juce::Colour envelopeLabel { 0xff4aff7a };
inline const juce::Colour stripCentreLine { 0x66333328 };
inline const juce::Colour panLeftTint { 0xff4a9eff };
inline const juce::Colour panRightTint { 0xffff4a9e };

// The sub and noise panel.
inline const juce::Colour buttonOff { 0x80333328 };
inline const juce::Colour levelBar { 0xb28dc63f };
inline const juce::Colour cutoffBar { 0x80ff4a9e };

// The character blocks' step boxes and buttons.
inline const juce::Colour blockBox { 0xff1a1a16 };

// The CPU meter's bar when the load runs high.
inline const juce::Colour meterWarning { 0xffffaa00 };
inline const juce::Colour meterAlarm { 0xffff4444 };

// Modulation source families.
inline const juce::Colour sourceLfo { 0xff4a9eff };
inline const juce::Colour sourceEnvelope { 0xff4aff7a };
inline const juce::Colour sourceMacro { 0xffff9a4a };
inline const juce::Colour sourceRandom { 0xff9a7aff };
inline const juce::Colour sourcePerformance { 0xffff4a9e };
inline const juce::Colour sourceIntelligent { 0xff8dc63f };

// The window and its bands, in logical pixels.
constexpr int windowWidth = 1200;
constexpr int windowHeight = 860;
constexpr int topBarHeight = 44;
constexpr int keyboardHeight = 80;

// The framework's default typeface at a given height; one place for the
// font constructor, which the next framework version replaces.
inline juce::Font font (float height)
{
#if JUCE_MAJOR_VERSION >= 8
    return juce::Font (juce::FontOptions (height));
#else
    return juce::Font (height);
#endif
}

constexpr float headerFontHeight = 11.0f;
constexpr float titleFontHeight = 22.0f;

// The effects section's tab list and view buttons.
inline const juce::Colour viewButtonIdle { 0x59333328 };
inline const juce::Colour effectTabActive { 0x405a8a1a };
inline const juce::Colour effectTabIdle { 0x4c333328 };
inline const juce::Colour effectAmountIdle { 0xff626259 };
inline const juce::Colour effectTabShownOutline { 0x4c8dc63f };

// The arpeggiator strip's buttons and step cells.
inline const juce::Colour stripButton { 0xff1a1a16 };
constexpr float stripButtonOutlineAlpha = 0.3f;
constexpr float stripPowerOffAlpha = 0.5f;
inline const juce::Colour stepCellInPattern { 0x665a8a1a };
inline const juce::Colour stepCellOutline { 0x40333328 };

// The S!MPLE page's sound map: one tint per character quadrant.
inline const juce::Colour soundMapBrooding { 0xff1a1a3a };    // top left
inline const juce::Colour soundMapAggressive { 0xff2a1a18 };  // top right
inline const juce::Colour soundMapMellow { 0xff142a2a };      // bottom left
inline const juce::Colour soundMapAtmospheric { 0xff2a2018 }; // bottom right
// A short note that data could not be used as it is (an empty timbre
// library, a timbre naming an unknown table).
inline const juce::Colour dataNotice { 0xffe0a040 };

} // namespace plumora::palette
