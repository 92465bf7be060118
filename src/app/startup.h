// Process start-up: prepares the process-wide records, lets the console
// face run, and hands anything else to the desktop face.
#pragma once

#include <string>
#include <vector>

#include "console/console_entry.h"
#include "ui/desktop_app.h"

namespace orvex {

// The whole program; returns the process exit code.
int RunProgram(int argc, char** argv);

}  // namespace orvex
