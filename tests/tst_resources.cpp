#include "platform/Dialog.h"
#include "platform/ScriptedPlatform.h"
#include "res/Resources.h"
#include "tests/TestMain.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// One line per menu item, indented by depth: "text|label|command".
void Flatten(const QList<MenuItem>& items, int nDepth, QStringList& out)
{
    for (const MenuItem& item : items) {
        const QString indent(nDepth * 2, u' ');
        if (item.bSeparator)
            out.append(indent + u"-"_s);
        else if (item.bPopup)
            out.append(indent + item.strText + u">"_s);
        else
            out.append(indent + u"%1|%2|%3"_s.arg(item.strText, item.strLabel).arg(item.nCommand));
        Flatten(item.children, nDepth + 1, out);
    }
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
        QCOMPARE(LoadString(128).split(u'\n').size(), 7);
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
        QTest::newRow("group Chinese item says symbols")
            << 32782 << u"查詢团体的符号练习,测试成绩"_s << u"团体符号成绩"_s;
        QTest::newRow("personal symbols spelt 查询")
            << 32781 << u"查询个人的符号练习,测试成绩"_s << u"个人符号成绩"_s;
        QTest::newRow("backslash string is all prompt")
            << 32814 << u"新建一个超级用户(超级用户有不同于普通用户的权限\\新建超级用户"_s
            << QString();
        QTest::newRow("About has no string") << 32805 << QString() << QString();
        QTest::newRow("history clearing")
            << 32810 << u"清除用户登录日志(只取超级用户)"_s << u"清除日志"_s;
        QTest::newRow("exit") << 57665 << u"退出应用程序"_s << u"退出"_s;
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
        expected << 32805 << 32806 << 32809 << 32810 << 32814 << 32815 << 32816 << 32817 << 57665;
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
        QCOMPARE(CommandName(32817), u"ID_QUERY_GROUP"_s);
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
        QCOMPARE(table[0].key, QKeyCombination(Qt::ControlModifier, Qt::Key_C));
        QVERIFY(LoadAccelerators(4711).isEmpty());
    }

    void firstMatchingAcceleratorWins_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("command");
        QTest::newRow("Ctrl+N starts digits, not a new user")
            << QKeyCombination(Qt::ControlModifier, Qt::Key_N) << 32773;
        QTest::newRow("F1 is About") << QKeyCombination(Qt::Key_F1) << 32805;
        QTest::newRow("F2 is help") << QKeyCombination(Qt::Key_F2) << 32788;
        QTest::newRow("Ctrl+X exits") << QKeyCombination(Qt::ControlModifier, Qt::Key_X) << 57665;
        QTest::newRow("Ctrl+S settings")
            << QKeyCombination(Qt::ControlModifier, Qt::Key_S) << 32775;
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

    void mainMenuInOrder()
    {
        QStringList lines;
        Flatten(LoadMenu(128), 0, lines);
        const QStringList expected{
            u"程序(&P)>"_s,
            u"  复位(&S)||32806"_s,
            u"  退出|Ctrl+X|57665"_s,
            u"练习(&T)>"_s,
            u"  中文练习|Ctrl+C|32771"_s,
            u"  英文练习|Ctrl+E|32772"_s,
            u"  数字练习|Ctrl+N|32773"_s,
            u"  符号练习|Ctrl+P|32774"_s,
            u"操作(&D)>"_s,
            u"  当前用户设置|Ctrl+S|32775"_s,
            u"  -"_s,
            u"  建立新用户|Ctrl+N|32776"_s,
            u"  注销当前用户(&U)||32777"_s,
            u"  清除成绩记录>"_s,
            u"    个人成绩||32786"_s,
            u"    团体成绩 (超级用户)||32787"_s,
            u"  历史记录>"_s,
            u"    查看 (只限超级用户)||32809"_s,
            u"    清除 (只限超级用户)||32810"_s,
            u"  超级用户>"_s,
            u"    新建(&N)||32814"_s,
            u"    更改超级用户密码||32815"_s,
            u"成绩查詢(S)>"_s,
            u"  个人成绩||32816"_s,
            u"  团体成绩||32817"_s,
            u"帮助(&H)>"_s,
            u"  帮助主题|F1|32788"_s,
            u"  关于 qe...|F2|32805"_s,
            u"  最新动态||32789"_s,
            u"  网上升级||32790"_s,
        };
        QCOMPARE(lines, expected);
        QCOMPARE(LoadMenu(128)[4].children[1].DisplayText(), u"关于 qe...\tF2"_s);
    }

    void contextMenuInOrder()
    {
        const QList<MenuItem> menu = LoadMenu(109);
        QCOMPARE(menu.size(), 1);
        QVERIFY(menu[0].bPopup);
        QStringList lines;
        Flatten(menu[0].children, 0, lines);
        const QStringList expected{
            u"当前用户设置(&S)||32775"_s,
            u"建立新用户(&N)||32776"_s,
            u"注销当前用户||32777"_s,
            u"-"_s,
            u"练习(&T)>"_s,
            u"  中文练习|Ctrl+C|32771"_s,
            u"  英文练习|Ctrl+E|32772"_s,
            u"  数字练习|Ctrl+N|32773"_s,
            u"  符号练习|Ctrl+P|32774"_s,
            u"-"_s,
            u"个人成绩>"_s,
            u"  中文成绩||32778"_s,
            u"  英文成绩||32779"_s,
            u"  数字成绩||32780"_s,
            u"  符号成绩||32781"_s,
            u"团体成绩>"_s,
            u"  中文成绩||32782"_s,
            u"  英文成绩||32783"_s,
            u"  数字成绩||32784"_s,
            u"  符号成绩||32785"_s,
            u"清除成绩记录>"_s,
            u"  个人成绩||32786"_s,
            u"  团体成绩||32787"_s,
            u"历史记录>"_s,
            u"  查看 (只限超级用户)||32809"_s,
            u"  清除 (只限超级用户)||32810"_s,
        };
        QCOMPARE(lines, expected);
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
        QString caption, button, link;
        bool bReadOnly = false, bNoWrap = false, bDefault = false;
        QSize picture;
        platform.DriveDialog([&](QDialog*) {
            caption = dlg.windowTitle();
            auto* edit = dlg.Item<QPlainTextEdit>(1002);
            bReadOnly = edit && edit->isReadOnly();
            bNoWrap = edit && edit->lineWrapMode() == QPlainTextEdit::NoWrap;
            auto* ok = dlg.Item<QPushButton>(1);
            button = ok ? ok->text() : QString();
            bDefault = ok && ok->isDefault();
            link = dlg.GetDlgItemText(1001);
            for (QLabel* label : dlg.findChildren<QLabel*>()) {
                if (!label->pixmap().isNull())
                    picture = label->size();
            }
            dlg.ClickButton(1);
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(caption, u"关于 qe(青禾测试系统)V3.0"_s);
        QCOMPARE(dlg.size(), dlg.MapDialogRect(QRect(0, 0, 237, 242)).size());
        QVERIFY(bReadOnly);
        QVERIFY(bNoWrap);
        QCOMPARE(button, u"确定"_s);
        QVERIFY(bDefault);
        QVERIFY(link.startsWith(u"网址:"_s));
        QCOMPARE(picture, QSize(326, 240));
        for (const DialogControlTemplate& c : dlg.Template()->controls)
            order.append(c.nID);
        QCOMPARE(order, (QList<int>{1002, 1001, 1, -1}));
        QVERIFY(dlg.Template()->controls[1].HasStyle(u"notify"));
    }
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
