#pragma once
// For tests only: returns the whole library to its state at process start (slots, chip classes,
// chunk size, backend table, bank flags, identification, saved command registers) and releases
// a camera filter still held. COM initialisation counts are left alone.
void SFResetLibraryStateForTest();
