// Placeholder translation unit until the first control lands; keeps the
// library linkable so dependants can be wired now.
