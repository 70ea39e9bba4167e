#pragma once

#include <QIcon>
#include <QKeyCombination>
#include <QList>
#include <QPixmap>
#include <QString>

// The program's resources, kept as data files compiled into it: the string
// table, the command table, menus, accelerators, the tool bar, bitmaps and
// icons. Each table is read once and kept.

enum : int {
    ID_SEPARATOR = 0, // a separator in a menu or on the tool bar
};

// The string of the table with that id; empty when there is none.
QString LoadString(int nID);
// The definition of a figure ("键准", "回改", ...) as its tooltip and the
// manual state it; empty for a figure without one.
QString FigureDefinition(const QString& name);
bool HasString(int nID);

// A command id with its symbolic name (ID_PRACTICE_CHINESE ...).
struct CommandInfo
{
    int nID = 0;
    QString strName;
};
// Every command of the program, by ascending id.
const QList<CommandInfo>& CommandTable();
QString CommandName(int nID); // empty for an unknown id
// The status-bar prompt of a command: its string up to the first "\n", or
// the whole string when it has none.
QString CommandPrompt(int nID);
// The tool tip: the part after the first "\n"; empty when there is none.
QString CommandTooltip(int nID);

// One entry of a menu: a command, a separator or a pop-up with children.
struct MenuItem
{
    int nCommand = ID_SEPARATOR;
    QString strText;
    QString strLabel; // shortcut label shown after a tab; keys come from the accelerators
    bool bSeparator = false;
    bool bPopup = false;
    QList<MenuItem> children;

    // The text as a menu shows it: the label, if any, after a tab.
    QString DisplayText() const
    {
        return strLabel.isEmpty() ? strText : strText + u'\t' + strLabel;
    }
};
// The top-level items of menu nID (a bar of pop-ups; a context menu is one
// pop-up); empty for an unknown menu.
QList<MenuItem> LoadMenu(int nID);

// One accelerator: a key with its modifiers and the command it issues.
struct AcceleratorEntry
{
    QKeyCombination key;
    int nCommand = 0;
};
// The accelerator table in its order; the first entry matching a key wins.
QList<AcceleratorEntry> LoadAccelerators(int nID);
// The command of the first entry matching key in table; 0 when none does.
int FindAccelerator(const QList<AcceleratorEntry>& table, QKeyCombination key);

// One tool bar button, left to right; a separator has no command and no image.
struct ToolBarButton
{
    int nCommand = ID_SEPARATOR;
    QPixmap image;
};
// Tool bar nID with the images cut from its bitmap strip in button order.
QList<ToolBarButton> LoadToolBar(int nID);

// Bitmap ":/bitmaps/<id>.png" and icon ":/icons/<id>.png"; null when missing.
QPixmap LoadBitmap(int nID);
QIcon LoadIcon(int nID);
