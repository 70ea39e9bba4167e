#pragma once

#include <QString>
#include <QVariantList>

#include <functional>

class CDaoDatabase;

// The least an engine needs for a piece of work, measured on the same data
// and connection as the program's own figure: the figure is read as a
// ratio to it, which holds on a busy machine where absolute times do not.
namespace BenchFloor {

// Runs a query and reads every value of every row; returns the rows read.
int ReadAll(CDaoDatabase& db, const QString& sql, const QVariantList& values = {});
// Runs one statement in one transaction; returns the rows it affected.
int InOneTransaction(CDaoDatabase& db, const QString& sql, const QVariantList& values = {});
// Milliseconds of one call of work: the fastest of a few.
double BestMs(const std::function<void()>& work, int runs = 5);

} // namespace BenchFloor
