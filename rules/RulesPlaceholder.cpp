// Replaced by the rules sources.
