// Built-in defaults of the settings record.
#include "settings/conversion_settings.h"

#include <ctime>

#include "settings/program_identity.h"

namespace orvex {

Date CurrentLocalDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<Date>(now + local.tm_gmtoff);
}

void ResetSettingsToDefaults(ConversionSettings& settings, bool consoleMode,
                             std::optional<DesktopSize> desktop) {
    settings = ConversionSettings{};
    const Date now = CurrentLocalDate();
    settings.UpdateDate = now;
    settings.CustomTimestamp = now;
    settings.KeepAspectRatio = consoleMode ? 0 : 1;
    settings.Text = kNoticeLine;
    settings.InputFormat = InputExtensions().front();
    settings.OutputFormat = OutputExtensions().front();
    // Centre the default-sized window; a desktop no larger than it (or none,
    // on the console) puts the window at 100, 100.
    settings.X = (desktop && desktop->width > kDefaultWindowWidth)
                     ? (desktop->width - kDefaultWindowWidth) / 2
                     : 100;
    settings.Y = (desktop && desktop->height > kDefaultWindowHeight)
                     ? (desktop->height - kDefaultWindowHeight) / 2
                     : 100;
}

}  // namespace orvex
