#include "platform/DialogTemplate.h"

#include "platform/EditValidator.h"
#include "platform/ListCtrl.h"
#include "platform/ProgressCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QtMath>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QRect RectFrom(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return {};
    return {a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()};
}

QStringList StringsFrom(const QJsonValue& value)
{
    QStringList list;
    const QJsonArray a = value.toArray();
    for (const QJsonValue& v : a)
        list.append(v.toString());
    return list;
}

const QStringList& KnownKinds()
{
    static const QStringList kinds{u"static"_s,     u"edit"_s,     u"button"_s,   u"defbutton"_s,
                                   u"groupbox"_s,   u"combo"_s,    u"droplist"_s, u"listview"_s,
                                   u"datepicker"_s, u"progress"_s, u"picture"_s,  u"icon"_s,
                                   u"custom"_s,     u"checkbox"_s, u"radio"_s};
    return kinds;
}

QWidget* CreateEdit(const DialogControlTemplate& c, QWidget* parent)
{
    if (c.HasStyle(u"multiline")) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setReadOnly(c.HasStyle(u"readonly"));
        edit->setLineWrapMode(c.HasStyle(u"hscroll") || c.HasStyle(u"autohscroll")
                                  ? QPlainTextEdit::NoWrap
                                  : QPlainTextEdit::WidgetWidth);
        edit->setTabChangesFocus(true);
        edit->setPlainText(c.strText);
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    if (c.HasStyle(u"password")) {
        edit->setEchoMode(QLineEdit::Password);
        // Masked as a Windows edit box masks, with '*': the style's wide dot
        // would let a box that does not scroll take far fewer characters.
        edit->setStyleSheet(u"lineedit-password-character: 42"_s);
    }
    edit->setReadOnly(c.HasStyle(u"readonly"));
    if (c.nLimit > 0)
        edit->setMaxLength(c.nLimit);
    const bool bDigits = c.HasStyle(u"number");
    const bool bFit = !c.HasStyle(u"autohscroll");
    if (bDigits || bFit)
        edit->setValidator(new CEditValidator(edit, bDigits, bFit));
    edit->setText(c.strText);
    return edit;
}

QWidget* CreateCombo(const DialogControlTemplate& c, QWidget* parent, bool bEditable)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(bEditable);
    if (bEditable) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        // Names that differ in case are different names: completing "tom"
        // to "Tom" would log in somebody else.
        combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    }
    combo->addItems(c.items);
    // Like an empty Windows list, nothing is selected until the code says so.
    combo->setCurrentIndex(-1);
    return combo;
}

QWidget* CreatePicture(const QString& path, const DialogControlTemplate& c, QWidget* parent)
{
    auto* label = new QLabel(parent);
    QPixmap pixmap(path);
    if (c.strKind == u"icon")
        pixmap = QIcon(path).pixmap(32, 32);
    label->setPixmap(pixmap);
    label->setAlignment(c.HasStyle(u"centerimage") ? Qt::AlignCenter
                                                   : Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

QFont DialogTemplate::Font() const
{
    QString face = strFace;
    if (face.isEmpty() || face == u"宋体" || face == u"MS Shell Dlg")
        face = u"Noto Sans CJK SC"_s;
    QFont font(face);
    font.setPointSize(nPoints > 0 ? nPoints : 9);
    return font;
}

std::optional<DialogTemplate> DialogTemplate::Load(int nID, QString* error)
{
    QFile file(u":/dialogs/%1.json"_s.arg(nID));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = u"dialog template %1 not found"_s.arg(nID);
        return std::nullopt;
    }
    return Parse(file.readAll(), error);
}

std::optional<DialogTemplate> DialogTemplate::Parse(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error)
            *error = parseError.errorString();
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    DialogTemplate t;
    t.nID = o.value(u"id"_s).toInt();
    t.strCaption = o.value(u"caption"_s).toString();
    const QJsonArray size = o.value(u"size"_s).toArray();
    if (size.size() != 2) {
        if (error)
            *error = u"dialog %1: \"size\" must be [w, h]"_s.arg(t.nID);
        return std::nullopt;
    }
    t.size = QSize(size[0].toInt(), size[1].toInt());
    const QJsonObject font = o.value(u"font"_s).toObject();
    t.strFace = font.value(u"face"_s).toString();
    t.nPoints = font.value(u"points"_s).toInt(9);
    t.styles = StringsFrom(o.value(u"style"_s));
    const QJsonArray controls = o.value(u"controls"_s).toArray();
    for (const QJsonValue& value : controls) {
        const QJsonObject co = value.toObject();
        DialogControlTemplate c;
        c.nID = co.value(u"id"_s).toInt(-1);
        c.strKind = co.value(u"kind"_s).toString();
        if (!KnownKinds().contains(c.strKind)) {
            if (error)
                *error = u"dialog %1: unknown control kind \"%2\""_s.arg(t.nID).arg(c.strKind);
            return std::nullopt;
        }
        c.strText = co.value(u"text"_s).toString();
        c.rect = RectFrom(co.value(u"rect"_s));
        c.items = StringsFrom(co.value(u"items"_s));
        c.nBitmap = co.value(u"bitmap"_s).toInt();
        c.nIcon = co.value(u"icon"_s).toInt();
        c.nLimit = co.value(u"limit"_s).toInt();
        c.styles = StringsFrom(co.value(u"style"_s));
        t.controls.append(c);
    }
    return t;
}

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int nWidth =
        fm.horizontalAdvance(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s);
    // The height unit is the character cell of the face the templates were
    // laid out for, whose cell is its em square; the CJK face standing in
    // for it has a much taller line (ascent and descent of about 1.45 em).
    return {(nWidth / 26 + 1) / 2, QFontInfo(font).pixelSize()};
}

QWidget* CreateDialogControl(const DialogControlTemplate& c, const QRect& rectPx, QWidget* parent)
{
    QWidget* widget = nullptr;
    const QString& kind = c.strKind;
    if (kind == u"static") {
        auto* label = new QLabel(c.strText, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(c.HasStyle(u"center") ? Qt::AlignHCenter | Qt::AlignTop
                                                  : Qt::AlignLeft | Qt::AlignTop);
        if (c.HasStyle(u"notify"))
            label->setCursor(Qt::PointingHandCursor);
        // A label that is a tab stop holds figures to copy: its text can be
        // selected with the mouse or the keyboard (Ctrl+A, Ctrl+C).
        if (c.HasStyle(u"tabstop")) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
            label->setFocusPolicy(Qt::StrongFocus);
        }
        widget = label;
    } else if (kind == u"edit") {
        widget = CreateEdit(c, parent);
    } else if (kind == u"button" || kind == u"defbutton") {
        auto* button = new QPushButton(c.strText, parent);
        button->setDefault(kind == u"defbutton");
        widget = button;
    } else if (kind == u"checkbox") {
        widget = new QCheckBox(c.strText, parent);
    } else if (kind == u"radio") {
        // Radio buttons of one dialog exclude each other.
        widget = new QRadioButton(c.strText, parent);
    } else if (kind == u"groupbox") {
        widget = new QGroupBox(c.strText, parent);
    } else if (kind == u"combo" || kind == u"droplist") {
        widget = CreateCombo(c, parent, kind == u"combo");
    } else if (kind == u"listview") {
        auto* list = new CListCtrl(parent);
        if (!c.HasStyle(u"border"))
            list->setFrameShape(QFrame::NoFrame);
        widget = list;
    } else if (kind == u"datepicker") {
        auto* date = new QDateEdit(QDate::currentDate(), parent);
        date->setCalendarPopup(true);
        date->setDisplayFormat(
            QLocale(QLocale::Chinese, QLocale::China).dateFormat(QLocale::ShortFormat));
        widget = date;
    } else if (kind == u"progress") {
        auto* progress = new CProgressCtrl(parent);
        progress->setRange(0, 100);
        progress->setValue(0);
        progress->setTextVisible(false);
        widget = progress;
    } else if (kind == u"picture") {
        widget = CreatePicture(u":/bitmaps/%1.png"_s.arg(c.nBitmap), c, parent);
    } else if (kind == u"icon") {
        widget = CreatePicture(u":/icons/%1.png"_s.arg(c.nIcon), c, parent);
    } else if (kind == u"custom") {
        widget = new QWidget(parent); // the dialog puts its own widget in
    }
    if (!widget)
        return nullptr;

    QRect rect = rectPx;
    if (kind == u"edit" && c.HasStyle(u"multiline")) {
        // The template's height holds whole lines of a face whose line is its
        // em square; the face standing in has a taller line, so the box is
        // made as high as the same number of its own lines needs.
        auto* edit = static_cast<QPlainTextEdit*>(widget);
        const int lines = std::max(1, rect.height() / QFontInfo(widget->font()).pixelSize());
        // Each line takes its height rounded up to whole pixels; the document
        // margin stands above and below, and the view keeps one pixel spare.
        const int lineHeight = qCeil(QFontMetricsF(widget->font()).height());
        const int needed = lines * lineHeight + qCeil(2 * edit->document()->documentMargin()) + 1 +
                           2 * edit->frameWidth();
        rect.setHeight(std::max(rect.height(), needed));
    } else if (kind == u"edit") {
        // One line of the taller face needs the box's own height; it grows
        // about the template rectangle's centre.
        const int needed = widget->sizeHint().height();
        if (rect.height() < needed)
            rect.adjust(0, -(needed - rect.height()) / 2, 0,
                        needed - rect.height() - (needed - rect.height()) / 2);
    } else if (kind == u"combo" || kind == u"droplist") {
        // The template's height includes the drop-down list; the box itself
        // is as high as its font needs.
        rect.setHeight(widget->sizeHint().height());
    } else if (kind == u"static") {
        // A label laid out for a face whose line is its em square needs the
        // taller line of the face standing in for it, kept on its centre.
        const QFontMetrics metrics(widget->font());
        const int lineHeight = metrics.height();
        // A one-line label keeps its whole text, whose glyphs may be wider.
        if (rect.height() < 2 * lineHeight && !c.strText.contains(u'\n'))
            rect.setWidth(std::max(rect.width(), metrics.horizontalAdvance(c.strText) + 2));
        if (rect.height() < lineHeight)
            rect.adjust(0, -(lineHeight - rect.height()) / 2, 0,
                        lineHeight - rect.height() - (lineHeight - rect.height()) / 2);
    } else if ((kind == u"picture" || kind == u"icon") && !c.HasStyle(u"centerimage")) {
        // A picture control takes the size of its image.
        const QPixmap pixmap = static_cast<QLabel*>(widget)->pixmap();
        if (!pixmap.isNull())
            rect.setSize(pixmap.size());
    }
    widget->setGeometry(rect);
    if (kind == u"groupbox")
        widget->lower(); // a frame drawn behind the controls it surrounds
    return widget;
}
