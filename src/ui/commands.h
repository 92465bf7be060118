// The main window's commands: one number per action, shared by menu items,
// toolbar buttons, mini toolbars and keyboard shortcuts.
#pragma once

#include <QIcon>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenuBar;
class QObject;
class QToolBar;

namespace orvex {

class TextTable;

enum class Command : int {
    New = 0,
    Exit = 3,
    SelectInputFile = 5,
    SelectOutputFolder = 7,
    OutputFormatOptions = 8,
    Convert = 14,
    Preview = 15,
    CustomConverter = 16,
    Preferences = 17,
    Manual = 18,
    SendFeedback = 21,
    VisitHomepage = 22,
    CheckForNewVersion = 23,
    About = 24,
};

struct CommandRow {
    Command command;
    const char* textKey;   // key of group "Menu"
    const char* shortcut;  // "" when none; also the text after the TAB in the menu
    const char* icon;      // picture name in the icon sets
};

// Every command in number order.
const std::vector<CommandRow>& CommandTable();
const CommandRow* FindCommand(Command command);

// A menu of the menu bar: its "Menu" text key and its items in order; a
// separator is written as nullopt-like Command value -1.
struct MenuRow {
    const char* textKey;
    std::vector<int> items;  // command numbers, -1 for a separator
};
const std::vector<MenuRow>& MenuLayout();
// The main toolbar from left to right, -1 for a separator.
const std::vector<int>& ToolbarLayout();

// The menu item text: the Menu text, then a TAB and the shortcut when it has one.
QString MenuItemText(const TextTable& texts, const CommandRow& row);

// `text` with its underlined letter for the keyboard: the first letter of a
// word that `taken` (lower case) lacks, else any such letter, else none; the
// letter joins `taken`. A "&" of the text stays visible, and a shortcut after
// the TAB is left alone.
QString WithMnemonic(const QString& text, QString& taken);

// Toolbar icon size in pixels for UiSize: 1 24, 2 32, 3 48, 4 64, else 16.
int ToolbarIconSize(int uiSize);

using IconMap = std::map<std::string, QIcon>;

// One QAction per command, owned by `owner`; each raises `trigger` with its
// command number. Keyboard shortcuts are set on the actions.
class CommandActions {
  public:
    template <typename Handler>
    CommandActions(QObject* owner, Handler trigger) : m_owner(owner) {
        Create([trigger](Command command) { trigger(command); });
    }
    QAction* action(Command command) const;
    // Texts, tooltips and icons (menu icons for items).
    void Retranslate(const TextTable& texts, const IconMap& menuIcons);
    // The menus in order; every menu and item gets an underlined letter,
    // unique within its menu (the menus' among themselves).
    void FillMenuBar(QMenuBar* bar, const TextTable& texts) const;
    // The main toolbar's buttons, with toolbar icons at `iconSize`.
    void FillToolbar(QToolBar* toolbar, const IconMap& toolbarIcons, int iconSize) const;

  private:
    void Create(std::function<void(Command)> trigger);
    QObject* m_owner;
    std::map<int, QAction*> m_actions;
};

}  // namespace orvex
