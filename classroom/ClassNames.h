#pragma once

#include <QString>
#include <QStringList>

class CDaoDatabase;

// The classes of the school: those the pupils belong to.

// The classes that pupils belong to, in Chinese collation order (numbers by
// value); a class left empty is "". Throws CDaoException.
QStringList LoadClasses(CDaoDatabase& db);

// The name a class shows under; a class left empty has one too.
QString ClassDisplayName(const QString& className);
