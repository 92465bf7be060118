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
        {Command::Preferences, "Preferences", "Ctrl+,", "Preferences"},
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

QString WithMnemonic(const QString& text, QString& taken) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QString label = tab < 0 ? text : text.left(tab);
    const QString rest = tab < 0 ? QString() : text.mid(tab);
    label.replace(QStringLiteral("&"), QStringLiteral("&&"));
    const auto free = [&](qsizetype i) {
        return label[i].isLetterOrNumber() && !taken.contains(label[i].toLower()) &&
               (i == 0 || label[i - 1] != QLatin1Char('&'));
    };
    qsizetype chosen = -1;
    // A word's first letter reads best; any other letter is the fallback.
    for (qsizetype i = 0; i < label.size() && chosen < 0; ++i) {
        if ((i == 0 || label[i - 1].isSpace()) && free(i)) chosen = i;
    }
    for (qsizetype i = 0; i < label.size() && chosen < 0; ++i) {
        if (free(i)) chosen = i;
    }
    if (chosen < 0) return label + rest;
    taken += label[chosen].toLower();
    return label.left(chosen) + QLatin1Char('&') + label.mid(chosen) + rest;
}

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
    // Alt+letter opens a menu, so the menus leave out the letters of the
    // commands' own Alt shortcuts.
    QString titleLetters;
    for (const CommandRow& row : CommandTable()) {
        const QString shortcut = QString::fromLatin1(row.shortcut);
        if (shortcut.size() == 5 && shortcut.startsWith(QStringLiteral("Alt+")))
            titleLetters += shortcut.back().toLower();
    }
    for (const MenuRow& menuRow : MenuLayout()) {
        QMenu* menu =
            bar->addMenu(WithMnemonic(UiText(texts, "Menu", menuRow.textKey), titleLetters));
        QString itemLetters;
        for (int item : menuRow.items) {
            if (item < 0) {
                menu->addSeparator();
                continue;
            }
            QAction* entry = action(static_cast<Command>(item));
            entry->setText(WithMnemonic(
                MenuItemText(texts, *FindCommand(static_cast<Command>(item))), itemLetters));
            menu->addAction(entry);
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
