// The command table and the menu bar and main toolbar built from it.
#include "ui/commands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "text/text_table.h"
#include "ui/theme/theme_pictures.h"
#include "ui/ui_text.h"

namespace orvex {

const std::vector<CommandRow>& CommandTable() {
    static const std::vector<CommandRow> rows{
        {Command::New, "New", "Ctrl+N", "New"},
        {Command::Exit, "Exit", "Alt+X", "Exit"},
        {Command::SelectInputFile, "Select Input File", "", "Add"},
        {Command::SelectOutputFolder, "Select Output Folder", "", "OutFolder"},
        {Command::OutputFormatOptions, "Output Format Options", "", "OutFormat"},
        {Command::Convert, "Convert", "F5", "Convert"},
        {Command::Preview, "Preview", "F6", "Preview"},
        {Command::CustomConverter, "Custom Converter", "", "CustomConverter"},
        {Command::Preferences, "Preferences", "", "Preferences"},
        {Command::Manual, "Manual", "F1", "Help"},
        {Command::SendFeedback, "Send Feedback", "", "Email"},
        {Command::VisitHomepage, "Visit Homepage", "", "Web"},
        {Command::CheckForNewVersion, "Check For New Version", "", "Updates"},
        {Command::About, "About", "", "About"},
    };
    return rows;
}

const CommandRow* FindCommand(Command command) {
    for (const CommandRow& row : CommandTable()) {
        if (row.command == command) return &row;
    }
    return nullptr;
}

const std::vector<MenuRow>& MenuLayout() {
    static const std::vector<MenuRow> menus{
        {"File", {0, -1, 5, 7, -1, 3}},
        {"Converter", {14, 15, -1, 16, -1, 17}},
        {"Help", {18, -1, 21, 22, 23, -1, 24}},
    };
    return menus;
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> buttons{0, 5, 7, -1, 17, -1, 14, 15, -1, 18, 21, 22, 23};
    return buttons;
}

QString MenuItemText(const TextTable& texts, const CommandRow& row) {
    QString text = UiText(texts, "Menu", row.textKey);
    if (row.shortcut[0] != '\0') text += QStringLiteral("\t") + QString::fromLatin1(row.shortcut);
    return text;
}

int ToolbarIconSize(int uiSize) { return ToolbarIconPixels(uiSize); }

void CommandActions::Create(std::function<void(Command)> trigger) {
    for (const CommandRow& row : CommandTable()) {
        auto* action = new QAction(m_owner);
        if (row.shortcut[0] != '\0') {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        const Command command = row.command;
        QObject::connect(action, &QAction::triggered, m_owner, [trigger, command] { trigger(command); });
        m_actions[static_cast<int>(row.command)] = action;
    }
}

QAction* CommandActions::action(Command command) const {
    auto found = m_actions.find(static_cast<int>(command));
    return found == m_actions.end() ? nullptr : found->second;
}

void CommandActions::Retranslate(const TextTable& texts, const IconMap& menuIcons) {
    for (const CommandRow& row : CommandTable()) {
        QAction* item = action(row.command);
        // The menu shows the text after the TAB as the shortcut column.
        item->setText(MenuItemText(texts, row));
        item->setToolTip(UiText(texts, "Menu", row.textKey));
        auto icon = menuIcons.find(row.icon);
        item->setIcon(icon == menuIcons.end() ? QIcon() : icon->second);
    }
}

void CommandActions::FillMenuBar(QMenuBar* bar, const TextTable& texts) const {
    bar->clear();
    for (const MenuRow& menuRow : MenuLayout()) {
        QMenu* menu = bar->addMenu(UiText(texts, "Menu", menuRow.textKey));
        for (int item : menuRow.items) {
            if (item < 0)
                menu->addSeparator();
            else
                menu->addAction(action(static_cast<Command>(item)));
        }
    }
}

void CommandActions::FillToolbar(QToolBar* toolbar, const IconMap& toolbarIcons,
                                 int iconSize) const {
    toolbar->clear();
    toolbar->setIconSize(QSize(iconSize, iconSize));
    for (int item : ToolbarLayout()) {
        if (item < 0) {
            toolbar->addSeparator();
            continue;
        }
        const CommandRow* row = FindCommand(static_cast<Command>(item));
        QAction* base = action(row->command);
        // A toolbar button of its own that raises the same command, so the
        // toolbar picture at its size and the small menu picture never mix.
        auto* button = new QAction(base->toolTip(), toolbar);
        button->setToolTip(base->toolTip());
        auto icon = toolbarIcons.find(row->icon);
        if (icon != toolbarIcons.end()) button->setIcon(icon->second);
        QObject::connect(button, &QAction::triggered, base, &QAction::trigger);
        toolbar->addAction(button);
    }
}

}  // namespace orvex
