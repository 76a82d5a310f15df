# The factory bank, in bank order (paths under presets/). The order is part
# of the product: the manager reads the texts in this order.
set(PLUMORA_FACTORY_PRESETS
)
