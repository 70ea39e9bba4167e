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
    void promptsAndTooltipsSplitAtLineBreak_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("prompt and tooltip")
            << 32771 << u"练习 , 测试您的中文打字速度"_s << u"中文练习"_s;
        QTest::newRow("backslash string is all prompt")
            << 32814 << u"新建一个超级用户(超级用户有不同于普通用户的权限\\新建超级用户"_s
            << QString();
        QTest::newRow("About has no string") << 32805 << QString() << QString();
        QTest::newRow("unknown id") << 4711 << QString() << QString();
    }
    void promptsAndTooltipsSplitAtLineBreak()
    {
        QFETCH(int, id);
        QFETCH(QString, prompt);
        QFETCH(QString, tooltip);
        QCOMPARE(CommandPrompt(id), prompt);
        QCOMPARE(CommandTooltip(id), tooltip);
        QCOMPARE(LoadString(id).isEmpty(), prompt.isEmpty());
    }

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
        QCOMPARE(CommandName(32771), u"ID_PRACTICE_CHINESE"_s);
        QCOMPARE(CommandName(1), QString());
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
        QVERIFY(LoadMenu(4711).isEmpty() && LoadAccelerators(4711).isEmpty());
    }

    void menuItemsShowTextAndLabel_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("accelerator label after a tab")
            << 128 << QList<int>{0, 1} << u"退出\tCtrl+X"_s;
        QTest::newRow("item of a nested pop-up")
            << 128 << QList<int>{2, 4, 1} << u"团体成绩 (超级用户)"_s;
        QTest::newRow("context menu nested item") << 109 << QList<int>{0, 6, 3} << u"符号成绩"_s;
    }
    void menuItemsShowTextAndLabel()
    {
        QFETCH(int, id);
        QFETCH(QList<int>, path);
        QFETCH(QString, text);
        QList<MenuItem> items = LoadMenu(id);
        MenuItem item;
        for (int index : path) {
            item = items.value(index);
            items = item.children;
        }
        QCOMPARE(item.DisplayText(), text);
    }

    // Each button shows a 16 x 16 picture of its own, and none is blank.
    void toolBarButtonsWithTheirImages()
    {
        QList<QImage> images;
        for (const ToolBarButton& button : LoadToolBar(128)) {
            QCOMPARE(button.image.isNull(), button.nCommand == ID_SEPARATOR);
            if (!button.image.isNull())
                images.append(button.image.toImage());
        }
        QCOMPARE(images.size(), 17);
        for (qsizetype i = 0; i < images.size(); ++i) {
            QCOMPARE(images[i].size(), QSize(16, 16));
            QVERIFY(images[i] != QImage(16, 16, images[i].format()));
            for (qsizetype j = i + 1; j < images.size(); ++j)
                QVERIFY2(images[i] != images[j], qPrintable(u"%1 %2"_s.arg(i).arg(j)));
        }
    }

    void pictures()
    {
        QCOMPARE(LoadBitmap(144).size(), QSize(326, 240));
        QCOMPARE(LoadIcon(150).availableSizes().value(0), QSize(32, 32));
        QVERIFY(LoadBitmap(4711).isNull());
        QVERIFY(LoadIcon(4711).isNull());
    }
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
