#include "users/ClassCompleter.h"

#include "platform/Dao.h"
#include "platform/DaoSql.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCollator>
#include <QCompleter>
#include <QLineEdit>
#include <QLocale>
#include <QSqlQuery>
#include <QStyle>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

QStringList KnownClasses(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    if (!query.prepare(u"SELECT DISTINCT class FROM \"user\" WHERE class <> ''"_s) || !query.exec())
        DaoSql::Throw(query.lastError());
    QStringList classes;
    while (query.next())
        classes.append(query.value(0).toString());
    if (query.lastError().isValid())
        DaoSql::Throw(query.lastError());
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    std::sort(classes.begin(), classes.end(), collator);
    return classes;
}

void OfferClasses(QLineEdit* edit, const QStringList& classes)
{
    if (!edit || classes.isEmpty())
        return;
    auto* completer = new QCompleter(classes, edit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(12);
    edit->setCompleter(completer);
    QAction* all = edit->addAction(edit->style()->standardIcon(QStyle::SP_ArrowDown),
                                   QLineEdit::TrailingPosition);
    all->setToolTip(u"选择已有的班级"_s);
    QObject::connect(all, &QAction::triggered, edit, [edit, completer] {
        edit->setFocus();
        completer->setCompletionPrefix(QString());
        completer->complete();
    });
}
