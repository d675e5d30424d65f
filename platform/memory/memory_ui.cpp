// The in-memory backend (being written).
