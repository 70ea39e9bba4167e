#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CDialog;
class CSession;
class QComboBox;

// Fills dlg's combo with the classes of the pupils, read on the session's
// worker, in the class report's order: each shown by its display name, with
// the class itself as the item's data. Chooses preferred where it is there,
// else the first class; then() runs once they are in. Without a database,
// or when the classes cannot be read, says so and closes dlg.
void FillClassCombo(CDialog* dlg, const CSession& session, QComboBox* combo,
                    const std::optional<QString>& preferred, std::function<void()> then);

// Fills combo with 全校 (the empty class name: the school's own setting)
// and then each class by its display name, the class as the item's data;
// 全校 is chosen.
void FillSchoolAndClasses(QComboBox* combo, const QStringList& classes);
