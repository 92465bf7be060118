// The one symbol the desktop module shows to the program that loads it.
#include "settings/program_identity.h"
#include "ui/desktop_app.h"

static_assert(orvex::kVersionNumber == 310,
              "the entry point's name (and kDesktopEntrySymbol) carry the version number");

extern "C" __attribute__((visibility("default"))) int orvex_run_desktop_310(
    orvex::DesktopStart* start) {
    return orvex::RunDesktop(*start);
}
