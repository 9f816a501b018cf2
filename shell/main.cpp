// Process entry: the executable is the main sequence.
#include "shell/main_sequence.h"

int main() { return kestravon_main(); }
