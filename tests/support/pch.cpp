// Carries the precompiled test headers that every test executable reuses.
