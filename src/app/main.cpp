// Process entry.
#include "app/startup.h"

int main(int argc, char** argv) { return orvex::RunProgram(argc, argv); }
