#include "platform/Dialog.h"
#include "platform/ScriptedPlatform.h"
#include "res/Resources.h"
#include "tests/TestMain.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// The outline of a menu: commands by id, "-" for a separator, a pop-up as
// its text with its children in brackets.
QString Shape(const QList<MenuItem>& items)
{
    QStringList parts;
    for (const MenuItem& item : items) {
        if (item.bSeparator)
            parts.append(u"-"_s);
        else if (item.bPopup)
            parts.append(u"%1[%2]"_s.arg(item.strText, Shape(item.children)));
        else
            parts.append(QString::number(item.nCommand));
    }
    return parts.join(u' ');
}

// The item at path (child indexes from the top), or an empty one.
MenuItem ItemAt(QList<MenuItem> items, const QList<int>& path)
{
    MenuItem item;
    for (int index : path) {
        item = items.value(index);
        items = item.children;
    }
    return item;
}

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
    void applicationStrings()
    {
        QCOMPARE(LoadString(128), u"青禾测试系统\n\nQe\n\n\nQe.Document\nQe Document"_s);
        QCOMPARE(LoadString(57344), u"qe"_s);
        QCOMPARE(LoadString(57345), u"就绪"_s);
        QVERIFY(!HasString(61184));
        QCOMPARE(LoadString(4711), QString());
    }

    void promptsAndTooltipsSplitAtLineBreak_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("Chinese practice")
            << 32771 << u"练习 , 测试您的中文打字速度"_s << u"中文练习"_s;
        QTest::newRow("digits prompt keeps its variant character")
            << 32773 << u"练习 , 測试您的数字打字速度"_s << u"数字练习"_s;
        QTest::newRow("backslash string is all prompt")
            << 32814 << u"新建一个超级用户(超级用户有不同于普通用户的权限\\新建超级用户"_s
            << QString();
        QTest::newRow("About has no string") << 32805 << QString() << QString();
    }
    void promptsAndTooltipsSplitAtLineBreak()
    {
        QFETCH(int, id);
        QFETCH(QString, prompt);
        QFETCH(QString, tooltip);
        QCOMPARE(CommandPrompt(id), prompt);
        QCOMPARE(CommandTooltip(id), tooltip);
    }

    void commandTableHoldsEveryCommand()
    {
        QList<int> expected;
        for (int id = 32771; id <= 32790; ++id)
            expected.append(id);
        expected << 32805 << 32806 << 32809 << 32810 << 32814 << 32815 << 32816 << 32817 << 33001
                 << 33011 << 33012 << 33013 << 33014 << 33021 << 33022 << 33023 << 33024 << 33025;
        for (int id = 33031; id <= 33038; ++id)
            expected.append(id);
        expected << 33041 << 33042 << 33043 << 33044 << 33051 << 33052 << 33053 << 57665;
        QList<int> ids;
        QSet<QString> names;
        for (const CommandInfo& command : CommandTable()) {
            ids.append(command.nID);
            QVERIFY2(command.strName.startsWith(u"ID_"_s), qPrintable(command.strName));
            names.insert(command.strName);
            // Every command but About carries a prompt.
            QCOMPARE(HasString(command.nID), command.nID != 32805);
        }
        QCOMPARE(ids, expected);
        QCOMPARE(names.size(), ids.size());
        QCOMPARE(CommandName(32771), u"ID_PRACTICE_CHINESE"_s);
        QCOMPARE(CommandName(1), QString());
    }

    void acceleratorsKeepTableOrder()
    {
        const QList<AcceleratorEntry> table = LoadAccelerators(128);
        QList<int> commands;
        for (const AcceleratorEntry& entry : table)
            commands.append(entry.nCommand);
        QCOMPARE(commands,
                 (QList<int>{32771, 32772, 32773, 32776, 32774, 32775, 32805, 32788, 57665}));
        QCOMPARE(table[2].key, table[3].key);
        QVERIFY(LoadAccelerators(4711).isEmpty());
    }

    void firstMatchingAcceleratorWins_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("command");
        QTest::newRow("Ctrl+N starts digits, not a new user")
            << QKeyCombination(Qt::ControlModifier, Qt::Key_N) << 32773;
        QTest::newRow("Ctrl+C, the first entry")
            << QKeyCombination(Qt::ControlModifier, Qt::Key_C) << 32771;
        QTest::newRow("plain N is no accelerator") << QKeyCombination(Qt::Key_N) << 0;
        QTest::newRow("Ctrl+Shift+N is no accelerator")
            << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_N) << 0;
    }
    void firstMatchingAcceleratorWins()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(int, command);
        QCOMPARE(FindAccelerator(LoadAccelerators(128), key), command);
    }

    void menusHaveTheirOutline_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("shape");
        QTest::newRow("main menu")
            << 128
            << u"程序(&P)[32806 57665] 练习(&T)[32771 32772 32773 32774] "
               "操作(&D)[32775 - 32776 32777 清除成绩记录[32786 32787] 历史记录[32809 32810] "
               "超级用户[32814 32815]] 成绩查詢(S)[32816 32817] 教学(&J)[33001 33023 33025 - "
               "33011 33012 33013 33014 33051 - 33022 33021 33024 - 33041 33042 33043 33044 - "
               "33053 33052 - "
               "显示比例(&Z)[33031 - 33032 33033 33034 33035 33036 33037 33038]] "
               "帮助(&H)[32788 32805 32789 32790]"_s;
        QTest::newRow("context menu is one pop-up")
            << 109
            << u"[32775 32776 32777 - 练习(&T)[32771 32772 32773 32774] - "
               "个人成绩[32778 32779 32780 32781] 团体成绩[32782 32783 32784 32785] "
               "清除成绩记录[32786 32787] 历史记录[32809 32810]]"_s;
        QTest::newRow("unknown menu is empty") << 4711 << QString();
    }
    void menusHaveTheirOutline()
    {
        QFETCH(int, id);
        QFETCH(QString, shape);
        QCOMPARE(Shape(LoadMenu(id)), shape);
    }

    void menuItemsShowTextAndLabel_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("accelerator label after a tab")
            << 128 << QList<int>{0, 1} << u"退出\tCtrl+X"_s;
        QTest::newRow("mnemonic without a label") << 128 << QList<int>{0, 0} << u"复位(&S)"_s;
        QTest::newRow("item of a nested pop-up")
            << 128 << QList<int>{2, 4, 1} << u"团体成绩 (超级用户)"_s;
        // The labels name F1 and F2 the other way round from the accelerators.
        QTest::newRow("help topics labelled F1") << 128 << QList<int>{5, 0} << u"帮助主题\tF1"_s;
        QTest::newRow("About labelled F2") << 128 << QList<int>{5, 1} << u"关于 qe...\tF2"_s;
        QTest::newRow("teaching item") << 128 << QList<int>{4, 0} << u"我的练习记录"_s;
        QTest::newRow("context menu item with its own mnemonic")
            << 109 << QList<int>{0, 0} << u"当前用户设置(&S)"_s;
        QTest::newRow("context menu nested item") << 109 << QList<int>{0, 6, 3} << u"符号成绩"_s;
    }
    void menuItemsShowTextAndLabel()
    {
        QFETCH(int, id);
        QFETCH(QList<int>, path);
        QFETCH(QString, text);
        QCOMPARE(ItemAt(LoadMenu(id), path).DisplayText(), text);
    }

    void everyCommandUsedIsInTheCommandTable()
    {
        QSet<int> known;
        for (const CommandInfo& command : CommandTable())
            known.insert(command.nID);
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

    void toolBarButtonsWithTheirImages()
    {
        const QList<ToolBarButton> bar = LoadToolBar(128);
        QList<int> commands;
        QList<QImage> images;
        for (const ToolBarButton& button : bar) {
            commands.append(button.nCommand);
            if (button.nCommand == ID_SEPARATOR) {
                QVERIFY(button.image.isNull());
                continue;
            }
            QCOMPARE(button.image.size(), QSize(16, 16));
            images.append(button.image.toImage());
        }
        QCOMPARE(commands, (QList<int>{32771, 32772, 32773, 32774, 0,     32775, 32776,
                                       32777, 32786, 32787, 0,     32809, 32810, 0,
                                       32788, 32805, 32790, 32789, 0,     32806, 57665}));
        QCOMPARE(images.size(), 17);
        // Each button shows a picture of its own, and none is blank.
        for (qsizetype i = 0; i < images.size(); ++i) {
            QVERIFY2(images[i] != QImage(16, 16, images[i].format()),
                     qPrintable(QString::number(i)));
            for (qsizetype j = i + 1; j < images.size(); ++j)
                QVERIFY2(images[i] != images[j], qPrintable(u"%1 %2"_s.arg(i).arg(j)));
        }
    }

    void picturesHaveTheirSizes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("icon");
        QTest::addColumn<QSize>("size");
        QTest::newRow("tool bar strip") << 128 << false << QSize(272, 16);
        QTest::newRow("splash picture") << 144 << false << QSize(326, 240);
        QTest::newRow("login picture") << 153 << false << QSize(48, 32);
        QTest::newRow("list image") << 164 << false << QSize(16, 15);
        QTest::newRow("new-user icon") << 150 << true << QSize(32, 32);
        QTest::newRow("application icon") << 128 << true << QSize(64, 64);
    }
    void picturesHaveTheirSizes()
    {
        QFETCH(int, id);
        QFETCH(bool, icon);
        QFETCH(QSize, size);
        if (icon) {
            const QIcon loaded = LoadIcon(id);
            QVERIFY(!loaded.isNull());
            QCOMPARE(loaded.availableSizes().value(0), size);
        } else {
            QCOMPARE(LoadBitmap(id).size(), size);
        }
    }

    void missingPicturesAreNull()
    {
        QVERIFY(LoadBitmap(4711).isNull());
        QVERIFY(LoadIcon(4711).isNull());
    }

    void aboutBoxTemplate()
    {
        CScriptedPlatform platform;
        CDialog dlg(100);
        QList<int> order;
        QString caption;
        bool bNoWrap = false;
        QSize picture;
        platform.DriveDialog([&](QDialog*) {
            caption = dlg.windowTitle();
            auto* edit = dlg.Item<QPlainTextEdit>(1002);
            bNoWrap = edit && edit->lineWrapMode() == QPlainTextEdit::NoWrap;
            for (QLabel* label : dlg.findChildren<QLabel*>()) {
                if (!label->pixmap().isNull())
                    picture = label->size();
            }
            dlg.ClickButton(1);
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(caption, u"关于 qe(青禾测试系统)V3.0"_s);
        // The information box grew for four lines of the taller face; the
        // dialog grew as much.
        const int grown =
            dlg.GetDlgItem(1002)->height() - dlg.MapDialogRect(QRect(9, 171, 216, 36)).height();
        QVERIFY(grown > 0);
        QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 237, 242)).size() + QSize(0, grown));
        QVERIFY(bNoWrap);
        QCOMPARE(picture, QSize(326, 240));
        for (const DialogControlTemplate& c : dlg.Template()->controls)
            order.append(c.nID);
        QCOMPARE(order, (QList<int>{1002, 1001, 1, -1}));
    }
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
