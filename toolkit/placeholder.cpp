// Replaced by the toolkit units.
