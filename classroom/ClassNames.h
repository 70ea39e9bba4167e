#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CDaoDatabase;

// The classes of the school: those the pupils belong to.

// The classes that pupils belong to, in Chinese collation order (numbers by
// value); a class left empty is "". Throws CDaoException.
QStringList LoadClasses(CDaoDatabase& db);

// The name a class shows under; a class left empty has one too.
QString ClassDisplayName(const QString& className);

// A class with the number of its pupils.
struct CClassSize
{
    QString strClass;
    int nPupils = 0;
};
// The classes in LoadClasses' order, each with how many pupils it has.
// Throws CDaoException.
QList<CClassSize> LoadClassSizes(CDaoDatabase& db);
// The name a class shows under in the list of pupils, with its size; a
// class of one (often a class name mistyped at registration) stands out.
QString ClassSizeName(const CClassSize& size);
