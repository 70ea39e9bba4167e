#pragma once

#include <QDir>
#include <QFileInfo>
#include <QTest>

// One data row ("id") per dialog template of the program.
inline void AddRowPerDialog()
{
    QTest::addColumn<int>("id");
    const QStringList files =
        QDir(QStringLiteral(":/dialogs")).entryList({QStringLiteral("*.json")});
    QVERIFY(files.size() > 20);
    for (const QString& file : files) {
        const int id = QFileInfo(file).baseName().toInt();
        QTest::newRow(qPrintable(QStringLiteral("dialog %1").arg(id))) << id;
    }
}
