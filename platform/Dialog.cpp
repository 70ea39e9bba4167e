#include "platform/Dialog.h"

#include "platform/Dispatch.h"
#include "platform/Platform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimerEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Windows' MulDiv: the product divided, rounded half away from zero.
int MulDiv(int nValue, int nNumerator, int nDenominator)
{
    return static_cast<int>(std::lround(static_cast<double>(nValue) * nNumerator / nDenominator));
}

const char* const kControlId = "controlId";
const char* const kNotify = "notifyClicks";
// Height of a window manager's title bar and borders, which is not known
// before the dialog is first shown.
const int kFrameAllowance = 38;

} // namespace

CDialog::CDialog(int nIDTemplate, QWidget* parent) : QDialog(parent), m_nIDTemplate(nIDTemplate)
{
    setModal(true);
    QString error;
    m_template = DialogTemplate::Load(nIDTemplate, &error);
    if (!m_template) {
        qWarning("CDialog: %s", qUtf8Printable(error));
        return;
    }
    const DialogTemplate& t = *m_template;
    setWindowTitle(t.strCaption);
    const QFont font = t.Font();
    setFont(font);
    const QSize units = DialogBaseUnits(font);
    m_nBaseUnitX = units.width();
    m_nBaseUnitY = units.height();

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    if (t.HasStyle(u"nocaption"))
        flags |= Qt::FramelessWindowHint;
    else if (t.HasStyle(u"nosysmenu"))
        flags |= Qt::WindowTitleHint;
    else
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setFixedSize(MapDialogRect(QRect(QPoint(0, 0), t.size)).size());
}

int CDialog::DoModal()
{
    if (!m_template)
        return -1;
    CreateControls();
    m_bEnded = false;
    setResult(0);
    bool bDefaultFocus = true;
    Dispatch([this, &bDefaultFocus] { bDefaultFocus = OnInitDialog(); });
    if (m_bEnded)
        return result();
    if (bDefaultFocus)
        SetInitialFocus();
    return Platform().RunModal(this);
}

void CDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // A dialog without a caption has no window frame from the window system;
    // its modal frame is drawn as the raised edge of its client area.
    if (m_template && m_template->HasStyle(u"nocaption") && m_template->HasStyle(u"modalframe")) {
        QPainter painter(this);
        qDrawWinPanel(&painter, rect(), palette(), false);
    }
}

void CDialog::SetInitialFocus()
{
    // As the dialog manager does when initialisation returns true: the first
    // tab stop takes the focus, and an edit box's text is selected, so that
    // typing replaces a preset value instead of adding to it.
    if (!m_template)
        return;
    for (const DialogControlTemplate& c : m_template->controls) {
        QWidget* widget = GetDlgItem(c.nID);
        if (c.nID == -1 || !c.HasStyle(u"tabstop") || !widget || !widget->isEnabled() ||
            widget->isHidden())
            continue;
        if (qobject_cast<QLineEdit*>(widget))
            SelectEditText(c.nID);
        else
            widget->setFocus(Qt::TabFocusReason);
        return;
    }
}

void CDialog::EndDialog(int nResult)
{
    m_bEnded = true;
    done(nResult);
}

QWidget* CDialog::GetDlgItem(int nID) const
{
    return m_controls.value(nID, nullptr);
}

QString CDialog::GetDlgItemText(int nID) const
{
    QWidget* widget = GetDlgItem(nID);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
        return edit->toPlainText().replace(u'\n', u"\r\n"_s);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    if (auto* date = qobject_cast<QDateEdit*>(widget))
        return date->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return {};
}

void CDialog::SelectEditText(int nID)
{
    if (auto* edit = Item<QLineEdit>(nID)) {
        edit->selectAll();
        edit->setFocus();
    }
}

void CDialog::SetDlgItemText(int nID, const QString& text)
{
    QWidget* widget = GetDlgItem(nID);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        // Lines of an edit box are separated by CR LF.
        QString plain = text;
        edit->setPlainText(plain.replace(u"\r\n"_s, u"\n"_s));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable())
            combo->setEditText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    }
}

void CDialog::SetTimer(int nIDEvent, int nElapse)
{
    // A timer set again with the same id replaces the old one.
    KillTimer(nIDEvent);
    const int nQtId = startTimer(nElapse);
    if (nQtId != 0)
        m_timers.insert(nQtId, nIDEvent);
}

void CDialog::KillTimer(int nIDEvent)
{
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it.value() == nIDEvent) {
            killTimer(it.key());
            m_timers.erase(it);
            return;
        }
    }
}

QRect CDialog::MapDialogRect(const QRect& dialogUnits) const
{
    const int nLeft = MulDiv(dialogUnits.x(), m_nBaseUnitX, 4);
    const int nTop = MulDiv(dialogUnits.y(), m_nBaseUnitY, 8);
    const int nRight = MulDiv(dialogUnits.x() + dialogUnits.width(), m_nBaseUnitX, 4);
    const int nBottom = MulDiv(dialogUnits.y() + dialogUnits.height(), m_nBaseUnitY, 8);
    return {QPoint(nLeft, nTop), QSize(nRight - nLeft, nBottom - nTop)};
}

void CDialog::ClickButton(int nID)
{
    QWidget* widget = GetDlgItem(nID);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->click();
    else if (widget && widget->property(kNotify).toBool() && widget->isEnabled())
        Dispatch([this, nID] { OnCommand(nID); });
}

void CDialog::ChooseItem(int nID, int nIndex)
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(nID));
    if (!combo || nIndex < 0 || nIndex >= combo->count())
        return;
    combo->setCurrentIndex(nIndex);
    emit combo->activated(nIndex);
}

void CDialog::reject()
{
    if (!IsWaiting())
        Dispatch([this] { OnCancel(); });
}

void CDialog::SetWaiting(bool bWaiting)
{
    m_nWaiting = std::max(0, m_nWaiting + (bWaiting ? 1 : -1));
    for (const int id : {IDOK_RESULT, IDCANCEL_RESULT})
        if (QWidget* button = GetDlgItem(id))
            button->setEnabled(!IsWaiting());
}

void CDialog::timerEvent(QTimerEvent* event)
{
    const auto it = m_timers.constFind(event->timerId());
    if (it == m_timers.constEnd()) {
        QDialog::timerEvent(event);
        return;
    }
    const int nIDEvent = it.value();
    Dispatch([this, nIDEvent] { OnTimer(nIDEvent); });
}

bool CDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->property(kNotify).toBool()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->isEnabled() &&
            widget->rect().contains(mouse->position().toPoint())) {
            const int nID = watched->property(kControlId).toInt();
            Dispatch([this, nID] { OnCommand(nID); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDialog::CreateControls()
{
    if (m_bCreated || !m_template)
        return;
    m_bCreated = true;
    QWidget* pPrevious = nullptr;
    QList<std::pair<QWidget*, QRect>> placed; // each control with its template pixels
    for (const DialogControlTemplate& c : m_template->controls) {
        QWidget* widget = CreateDialogControl(c, MapDialogRect(c.rect), this);
        if (!widget) {
            qWarning("CDialog %d: control kind %s not built", m_nIDTemplate,
                     qUtf8Printable(c.strKind));
            continue;
        }
        placed.append({widget, MapDialogRect(c.rect)});
        widget->setProperty(kControlId, c.nID);
        if (c.nID != -1 && !m_controls.contains(c.nID))
            m_controls.insert(c.nID, widget);
        if (c.strKind == u"static" && c.HasStyle(u"notify")) {
            widget->setProperty(kNotify, true);
            widget->installEventFilter(this);
        }
        ConnectControl(c.nID, c.strKind, widget);
        // Tab order is template order.
        if (widget->focusPolicy() & Qt::TabFocus) {
            if (pPrevious)
                setTabOrder(pPrevious, widget);
            pPrevious = widget;
        }
    }
    MakeRoomForTallerEdits(placed);
    if (m_template->HasStyle(u"center")) {
        // Placed before initialisation, so that the dialog's own code sees
        // where it stands.
        if (const QScreen* pScreen = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(pScreen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void CDialog::MakeRoomForTallerEdits(const QList<std::pair<QWidget*, QRect>>& placed)
{
    // A multi-line edit that grew beyond its template rectangle pushes the
    // controls below it down, and the frames around it and the dialog grow;
    // but the dialog grows no taller than the screen's work area leaves room
    // for with a title bar and borders, and the edit scrolls instead.
    const QScreen* pScreen = screen();
    const int nRoom = pScreen ? pScreen->availableGeometry().height() - kFrameAllowance : INT_MAX;
    for (const auto& [edit, rect] : placed) {
        if (!qobject_cast<QPlainTextEdit*>(edit))
            continue;
        const int wanted = edit->height() - rect.height();
        const int grown = std::min(wanted, nRoom - height());
        if (grown < wanted)
            edit->resize(edit->width(), rect.height() + std::max(grown, 0));
        if (grown <= 0)
            continue;
        for (const auto& [other, otherRect] : placed) {
            if (other == edit)
                continue;
            if (otherRect.top() > rect.bottom())
                other->move(other->x(), other->y() + grown);
            else if (otherRect.top() <= rect.top() && otherRect.bottom() >= rect.bottom())
                other->resize(other->width(), other->height() + grown);
        }
        setFixedSize(width(), height() + grown);
    }
}

void CDialog::ConnectControl(int nID, const QString& kind, QWidget* widget)
{
    if (nID == -1)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, nID] { OnButton(nID); });
    } else if (kind == u"droplist" || kind == u"combo") {
        connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, nID] { Dispatch([this, nID] { OnCommand(nID); }); });
    }
}

void CDialog::OnButton(int nID)
{
    Dispatch([this, nID] {
        if (IsWaiting() && (nID == IDOK_RESULT || nID == IDCANCEL_RESULT))
            return;
        if (nID == IDOK_RESULT)
            OnOK();
        else if (nID == IDCANCEL_RESULT)
            OnCancel();
        else
            OnCommand(nID);
    });
}
