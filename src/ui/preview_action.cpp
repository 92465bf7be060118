// The main window's Preview command: the preview window beside it, kept in
// step with the input field and the settings.
#include <QComboBox>
#include <QLineEdit>

#include "settings/configuration_file.h"
#include "settings/conversion_settings.h"
#include "text/trim.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/ui_text.h"

namespace orvex {

void MainWindow::ShowPreview() {
    if (m_preview == nullptr) {
        const auto target = [this] {
            PreviewTarget t;
            t.inputPath = std::string(Trim(ToUtf8(m_form->inputField->text()), kSpaces));
            t.outputFolder = std::string(Trim(ToUtf8(m_form->outputField->currentText()), kSpaces));
            const int format = m_form->formatField->currentIndex();
            if (format >= 0)
                t.outputExtension = ToUtf8(m_form->formatField->itemData(format).toString());
            return t;
        };
        const auto keep = [this] { SaveConfiguration(m_context.settings, ConfigFilePath()); };
        m_preview = new PreviewWindow(this, m_context.settings, m_context.texts, target, keep);
        connect(m_form->inputField, &QLineEdit::textChanged, m_preview, [this] {
            if (m_preview->isVisible()) m_preview->Refresh();
        });
        // Beside the main window, on its right.
        const QRect frame = frameGeometry();
        m_preview->move(frame.right() + 8, frame.top());
    }
    m_preview->show();
    m_preview->raise();
    m_preview->Refresh();
}

}  // namespace orvex
