// A main window on the built-in texts and pictures, with dialogs that answer
// for the user, shown at the smallest width; the widget tests build on it.
#pragma once

#include <memory>
#include <string>

#include "fake_dialogs.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "ui/main_window.h"

namespace orvex::test {

struct TestDesktop {
    ConversionSettings settings;
    ProjectState project;
    TextTable texts;
    FakeDialogs dialogs;
    IconSets icons;
    std::unique_ptr<DesktopContext> context;
    std::unique_ptr<MainWindow> window;

    explicit TestDesktop(const std::string& appFolder) {
        ResetSettingsToDefaults(settings, false);
        texts.Build();
        LoadIconSets(icons, settings, "/nonexistent/", true, true, true);
        context.reset(new DesktopContext{settings, project, texts, dialogs, icons, appFolder});
        window = std::make_unique<MainWindow>(*context);
        window->SetInnerGeometry(100, 100, 510);
        window->show();
    }
};

}  // namespace orvex::test
