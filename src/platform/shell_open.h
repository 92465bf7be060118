// Opening a web address, a "mailto:" link or a file with the desktop's
// default program, through xdg-open.
#pragma once

#include <string>

namespace orvex {

// Starts `xdg-open target` found on PATH, without a shell and with the
// target as its one argument, and returns at once; the child is reaped in
// the background. True when the program could be started; callers may
// ignore the result (what xdg-open then does is the desktop's business).
bool OpenWithShell(const std::string& target);

}  // namespace orvex
