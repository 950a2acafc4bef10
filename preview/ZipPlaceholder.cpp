// Replaced by the ZIP reader sources.
