#include "app/program.h"

int main(int argc, char* argv[]) { return tolvane::runProgram(argc, argv); }
