// Replaced by the signal-processing units.
