#pragma once

#include "app/CommandIds.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <vector>

// Where a command is handled, which decides when it can be enabled: App commands work
// at any time, Child commands need an active pattern window (its document), View
// commands the active pattern view. A command without a handler is always disabled, so
// nothing is offered that would do nothing.
enum class CommandRoute
{
    App,
    Child,
    View
};

// One command as the menus, the accelerators, the toolbar and the context menu share it.
struct CommandInfo
{
    int id = 0;
    // Menu label: "&" marks the mnemonic, a tab separates the key shown at the right.
    QString label;
    // Label in the menu shown while no pattern is open, when it differs (About).
    QString labelNoDoc;
    // Label in the view's context menu; empty when the command is not in it.
    QString contextLabel;
    // The command's string resource: status prompt, then after a line break the tool tip.
    QString prompt;
    QList<QKeySequence> keys;
    CommandRoute route = CommandRoute::App;
    bool checkable = false;
    // Icon of the desktop theme, and the bundled picture used when the theme has none.
    QString themeIcon;
    QString fallbackIcon;
    // What's This text (toolbar buttons).
    QString whatsThis;

    // The status prompt: the string before its line break (or tab).
    QString StatusTip() const;
    // The tool tip: the part after the line break (or tab); the label without "&" and
    // key when the string has no second part.
    QString ToolTip() const;
};

// Every command of the program, once.
const std::vector<CommandInfo>& CommandTable();
const CommandInfo* FindCommand(int id);

// Menus: each entry a command id, ID_SEPARATOR for a separator, ID_FILE_MRU_FILE1 for
// the place of the recent-file list.
struct MenuInfo
{
    QString title;
    std::vector<int> items;
};

// The menus shown while no pattern is open, and those shown while a pattern's window is
// active.
const std::vector<MenuInfo>& NoDocumentMenus();
const std::vector<MenuInfo>& DocumentMenus();

// The toolbar, left to right; ID_SEPARATOR marks a separator.
const std::vector<int>& ToolbarButtons();

// The view's context menu (a right click on the grid).
const std::vector<int>& ContextMenuItems();
