#pragma once

#include <QStringList>

class CDaoDatabase;
class QLineEdit;

// The classes a pupil registering picks from, so that a class is not typed
// a second way ("四年级1班" beside "四年级一班"); the box stays an edit and
// any class may still be typed.

// The classes pupils belong to, without the empty one, in Chinese order
// (numbers by value). Throws CDaoException.
QStringList KnownClasses(CDaoDatabase& db);

// Offers classes in edit: while typing, the classes that contain what was
// typed; from the drop-down arrow at the box's right end, all of them. A
// class picked replaces the text. Nothing is offered when classes is empty.
void OfferClasses(QLineEdit* edit, const QStringList& classes);
