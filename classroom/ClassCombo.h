#pragma once

class CSession;
class QComboBox;

// Fills combo with the classes of the pupils, in the class report's order:
// each shown by its display name, with the class itself as the item's data.
// Without a database, or when the classes cannot be read, says so and
// returns false.
bool FillClassCombo(const CSession& session, QComboBox* combo);
