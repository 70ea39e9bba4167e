#include "res/Resources.h"
#include "tests/TestMain.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// The commands of a menu and its pop-ups.
void Commands(const QList<MenuItem>& items, QList<int>& out)
{
    for (const MenuItem& item : items) {
        if (!item.bPopup && !item.bSeparator)
            out.append(item.nCommand);
        Commands(item.children, out);
    }
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    // Every command of the menus, the accelerators and the tool bar is in
    // the command table, under a name of its own and with a prompt (but About).
    void everyCommandUsedIsInTheCommandTable()
    {
        QSet<int> known;
        QSet<QString> names;
        for (const CommandInfo& command : CommandTable()) {
            known.insert(command.nID);
            QVERIFY2(command.strName.startsWith(u"ID_"_s), qPrintable(command.strName));
            names.insert(command.strName);
            QCOMPARE(HasString(command.nID), command.nID != 32805);
        }
        QCOMPARE(names.size(), known.size());
        QList<int> used;
        Commands(LoadMenu(128), used);
        Commands(LoadMenu(109), used);
        for (const AcceleratorEntry& entry : LoadAccelerators(128))
            used.append(entry.nCommand);
        for (const ToolBarButton& button : LoadToolBar(128)) {
            if (button.nCommand != ID_SEPARATOR)
                used.append(button.nCommand);
        }
        QVERIFY(used.size() > 60);
        for (int id : used)
            QVERIFY2(known.contains(id), qPrintable(QString::number(id)));
    }
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
