// The program data list: the pointer shape, then the side-button table, read front to back by one cursor.
#pragma once
#include <cstdint>

// Points the read cursor at the start of the list. Called before anything reads it.
void program_data_rewind();
// The next value of the list; 0 once the list is exhausted.
int32_t program_data_read();
// Values left to read.
int program_data_remaining();
