// Process entry: the executable is the main sequence.
#include "shell/main_sequence.h"

int main(int argc, char** argv) { return kestravon_main(argc, argv); }
