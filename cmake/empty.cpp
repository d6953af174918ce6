// Keeps an otherwise empty static library valid.
