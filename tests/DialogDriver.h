#pragma once

#include "platform/Dao.h"
#include "platform/Dialog.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/SettleWorker.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include <utility>

// The steps the dialog suites share: drive a live dialog, fill its edits,
// press a button, and read back what it showed, so that the checks run
// after the dialog has closed.

using Rows = QList<QStringList>;
using EditTexts = QList<std::pair<int, QString>>;

inline const QString NotConnected = QStringLiteral("数据库未正确连接!操作无法进行!");

// Queues a driver that sees the dialog as Dlg; a dialog the step leaves open
// once its questions are answered is cancelled, so that a refused OK never
// waits.
template <class Dlg = CDialog, class Step> void Drive(CScriptedPlatform& platform, Step step)
{
    platform.DriveDialog([step](QDialog* dialog) {
        auto* dlg = static_cast<Dlg*>(dialog);
        // What the dialog reads on the worker as it opens is shown first.
        SettleWorker();
        step(dlg);
        // What the step asked is answered before the dialog is left.
        SettleWorker();
        if (dialog->isVisible() && !dlg->IsEnded())
            dlg->ClickButton(2);
    });
}

// Presses a button; true when the dialog is still open afterwards. A
// dialog that stores on the session's worker holds its button disabled
// until the answer: the press waits for it, as a person would.
inline bool Press(CDialog* dlg, int nID)
{
    dlg->ClickButton(nID);
    const QWidget* button = dlg->GetDlgItem(nID);
    (void)QTest::qWaitFor(
        [dlg, button] {
            return !dlg->isVisible() || dlg->IsEnded() || !button || button->isEnabled();
        },
        20000);
    return dlg->isVisible() && !dlg->IsEnded();
}

// Clicks a button, or chooses a combo's item, and waits for what that asked
// the session's worker to be answered, as a person waits for the screen.
inline void ClickAndWait(CDialog* dlg, int nID)
{
    dlg->ClickButton(nID);
    SettleWorker();
}
inline void ChooseAndWait(CDialog* dlg, int nID, int nIndex)
{
    dlg->ChooseItem(nID, nIndex);
    SettleWorker();
}

inline void Fill(CDialog* dlg, const EditTexts& texts)
{
    for (const auto& [id, text] : texts)
        dlg->Item<QLineEdit>(id)->setText(text);
}

// Fills the edits and presses OK.
inline CScriptedPlatform::DialogDriver FillAndOk(const EditTexts& texts)
{
    return [texts](QDialog* dialog) {
        auto* dlg = static_cast<CDialog*>(dialog);
        Fill(dlg, texts);
        Press(dlg, 1);
    };
}

// Types text as a person would right after the dialog opened, into the
// control that has the focus; returns that control's id (0 for none).
inline int TypeAtOnce(CDialog* dlg, const QString& text)
{
    QWidget* focus = dlg->focusWidget();
    if (!focus)
        return 0;
    QTest::keyClicks(focus, text);
    return focus->property("controlId").toInt();
}

// What a driver saw after pressing OK: whether the dialog stayed open, and
// the focused edit's id and selected text.
struct Outcome
{
    bool bOpen = false;
    int nFocus = 0;
    QString strSelected;
};

// Queues a driver that fills the edits, presses OK and notes the outcome.
inline void Confirm(CScriptedPlatform& platform, const EditTexts& texts, Outcome* outcome)
{
    Drive(platform, [texts, outcome](CDialog* dlg) {
        Fill(dlg, texts);
        outcome->bOpen = Press(dlg, 1);
        if (auto* edit = qobject_cast<QLineEdit*>(dlg->focusWidget())) {
            outcome->nFocus = edit->property("controlId").toInt();
            outcome->strSelected = edit->selectedText();
        }
    });
}

// The edits ids[i] with texts[i], as far as texts go.
inline EditTexts Edits(const QList<int>& ids, const QStringList& texts)
{
    EditTexts edits;
    for (qsizetype i = 0; i < texts.size() && i < ids.size(); ++i)
        edits.append({ids[i], texts[i]});
    return edits;
}

// Opens a dialog with open() and types text at once, as a person would;
// returns the control that took it and that control's text.
template <class Open>
std::pair<int, QString> TypedAtOnce(CScriptedPlatform& platform, Open open, const QString& text)
{
    std::pair<int, QString> typed;
    Drive(platform, [&typed, text](CDialog* dlg) {
        typed.first = TypeAtOnce(dlg, text);
        typed.second = dlg->GetDlgItemText(typed.first);
    });
    open();
    return typed;
}

inline const QString PasswordEmpty = QStringLiteral("密码不能为空,请输入!");
inline const QString PasswordTooLong = QStringLiteral("密码最多10位,请重新输入!");
// The password of a teacher who locked every teacher out: 12 characters.
inline const QString TwelveChars = QStringLiteral("Teacher-2026");
inline const QString TenChars = QStringLiteral("Teacher-20");

inline void NoDatabase()
{
    CSession::Instance().SetDatabaseSource([] { return static_cast<CDaoDatabase*>(nullptr); });
}

// The user as {name, class, number, password, kind text, kind code}.
inline QStringList UserTexts(const CCurrentUser& user = CurrentUser)
{
    return {user.Name,     user.Class,    user.StudentNo,
            user.Password, user.KindText, QString::number(user.KindCode)};
}

inline QStringList Box(const QString& text, const QString& caption, unsigned flags)
{
    return {text, caption, QString::number(flags)};
}

// The refusal the account dialogs show: the text under "错误!".
inline QList<QStringList> ErrorBox(const QString& text)
{
    return {Box(text, QStringLiteral("错误!"), MB_OK | MB_ICONEXCLAMATION)};
}

// Compares the boxes shown with the expected ones ({text, caption, flags});
// an expected text ending in "…" matches any text that starts with it.
inline void CompareBoxes(const CScriptedPlatform& platform, Rows expected)
{
    Rows shown;
    for (qsizetype i = 0; i < platform.boxes.size(); ++i) {
        const CScriptedPlatform::Box& box = platform.boxes[i];
        QString text = box.text;
        if (i < expected.size() && expected[i][0].endsWith(u'…') &&
            text.startsWith(expected[i][0].chopped(1)))
            text = expected[i][0];
        shown.append(Box(text, box.caption, box.flags));
    }
    QCOMPARE(shown, expected);
}

struct Listing
{
    QStringList headers;
    QList<int> widths;
    Rows cells;
};

// The cells of each row joined by "|", a row a line.
inline QStringList RowLines(const Rows& rows)
{
    QStringList lines;
    for (const QStringList& row : rows)
        lines.append(row.join(u'|'));
    return lines;
}

inline Listing ListOf(CListCtrl* list)
{
    Listing listing;
    for (int col = 0; col < list->GetColumnCount(); ++col) {
        listing.headers << list->GetColumnText(col);
        listing.widths << list->GetColumnWidth(col);
    }
    for (int row = 0; row < list->GetItemCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < list->GetColumnCount(); ++col)
            cells << list->GetItemText(row, col);
        listing.cells << cells;
    }
    return listing;
}

// Fields 0 to 7 of every loginhistory row, a null field as "<null>".
inline Rows LoginHistory(CDaoDatabase* db)
{
    Rows rows;
    CDaoRecordset rs(db);
    rs.Open(dbOpenDynaset, Sql::ScanLoginHistory);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < 8; ++i) {
            const CDaoFieldValue value = rs.GetFieldValue(i);
            row.append(value.IsNull() ? QStringLiteral("<null>") : VariantToText(value));
        }
        rows.append(row);
    }
    return rows;
}
