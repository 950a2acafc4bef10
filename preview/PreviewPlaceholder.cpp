// Replaced by the preview sources.
