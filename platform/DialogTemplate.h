#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// One control of a dialog template, as written in res/dialogs/<id>.json.
struct DialogControlTemplate
{
    int nID = -1; // -1: the control has no id of its own
    QString strKind;
    QString strText;
    QRect rect; // dialog units
    QStringList items;
    int nBitmap = 0;
    int nIcon = 0;
    int nLimit = 0; // 0: no limit
    QStringList styles;

    bool HasStyle(QStringView style) const { return styles.contains(style); }
};

// A dialog resource: caption, size and font, window styles and the
// controls in tab (creation) order.
struct DialogTemplate
{
    int nID = 0;
    QString strCaption;
    QSize size; // dialog units
    QString strFace;
    int nPoints = 9;
    QStringList styles;
    QList<DialogControlTemplate> controls;

    bool HasStyle(QStringView style) const { return styles.contains(style); }
    // The dialog font; faces that do not exist here are mapped to one that
    // carries the same (CJK) glyphs.
    QFont Font() const;

    // Reads ":/dialogs/<id>.json"; nothing when it is missing or malformed
    // (the reason goes to *error).
    static std::optional<DialogTemplate> Load(int nID, QString* error = nullptr);
    static std::optional<DialogTemplate> Parse(const QByteArray& json, QString* error = nullptr);
};

// Dialog base units of a font, as Windows computes them for a dialog.
QSize DialogBaseUnits(const QFont& font);

// Builds the widget of one control at the pixel rectangle rectPx. Signals
// are left to the dialog; an unknown kind gives null.
QWidget* CreateDialogControl(const DialogControlTemplate& control, const QRect& rectPx,
                             QWidget* parent);
