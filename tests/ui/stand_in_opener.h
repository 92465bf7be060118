// Test helper: a stand-in xdg-open first on PATH that writes one line per
// call, "<argument count>|<first argument>", so tests see exactly what the
// desktop asked to open.
#pragma once

#include <QString>
#include <QStringList>
#include <QTest>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace orvex::test {

class StandInOpener {
  public:
    StandInOpener() : m_folder("opener") {
        const std::string script = m_folder.WriteFile(
            "xdg-open", "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
        ::chmod(script.c_str(), 0755);
        const char* old = std::getenv("PATH");
        const std::string path = m_folder.Folder().string() + ":" + (old ? old : "/usr/bin:/bin");
        m_path = std::make_unique<test_support::ScopedEnv>("PATH", path.c_str());
    }

    QStringList Opened() const {
        const std::string text = test_support::ReadFileBytes(m_folder.File("opened"));
        return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
    }
    // Waits up to five seconds for `count` calls and returns what was opened.
    QStringList WaitFor(int count) const {
        for (int i = 0; i < 500 && Opened().size() < count; ++i) QTest::qWait(10);
        return Opened();
    }

  private:
    test_support::ScopedTempFolder m_folder;
    std::unique_ptr<test_support::ScopedEnv> m_path;
};

}  // namespace orvex::test
