# The factory bank, in bank order (paths under presets/). The order is part
# of the product: the manager reads the texts in this order.
set(PLUMORA_FACTORY_PRESETS
    effects/ping-pong-delay.pmpreset
    filter/warm-lowpass.pmpreset
    first-light.pmpreset
    modulation/trance-gate.pmpreset
    oscillators/fat-saw-stack.pmpreset
    s1mple/warm-pad.pmpreset
)
