// A line assembler for the intro tunes' player: reads 6502 source text ("LDA (ptr),Y", "BNE loop",
// "label:", "name = $FB", "; comment") into an asm6502 program, so the player reads as assembly.
#pragma once
#include <string>

#include "tools/sidtunes/asm6502.h"

// Assembles every line of source into a, after what it already holds. Returns "" on success, else
// the first error with its line number. Labels may be used before they are defined (asm_finish
// resolves them); constants must be defined before use. A number below 256 (or a constant with
// such a value) uses zero-page addressing where the instruction has it; a label is always absolute.
std::string asm_text(asm6502& a, const std::string& source);
