// The desktop's special start modes: the uninstall prompt ("-U") and the
// screenshot staging ("-T").
#pragma once

#include <QImage>
#include <string>

namespace orvex {

struct DesktopStart;
class DesktopDialogs;
class TextTable;

std::string StagingFolder(const DesktopStart& start);
int RunUninstallPrompt(const TextTable& texts);
int RunScreenshotStaging(DesktopStart& start, DesktopDialogs& dialogs);

// Writes `image` as a JPEG file (quality 90) through the engine's saver.
bool SaveScreenshot(const QImage& image, const std::string& path);

}  // namespace orvex
