// Placeholder so that a subsystem without sources still forms a library.
[[maybe_unused]] static int orvoEmptySubsystemAnchor = 0;
