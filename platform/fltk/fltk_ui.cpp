// The FLTK backend (being written).
