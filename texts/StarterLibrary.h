#pragma once

#include "texts/TextStore.h"

#include <QList>

class CDaoDatabase;

// The texts a new database's library starts with: graded texts of our own
// (Chinese from 一年级 to 初中, English for school pupils) and the four
// practice files, as data/library/library.json lists them. They are
// compiled into the program under :/library.
namespace StarterLibrary {

// The texts, in the list's order, normalised as the library stores them.
// Throws CDaoException when the program's copy cannot be read.
QList<CPracticeText> Texts();

// Stores the texts in a new database: a step of its creation (see
// CDatabaseSteps::newDatabase), with the owner's rights. Throws CDaoException.
void Seed(CDaoDatabase& db);

} // namespace StarterLibrary
