#include "app/AboutDlg.h"
#include "app/CommandBars.h"
#include "app/CommandRouter.h"
#include "app/QeApp.h"
#include "platform/DisplayScale.h"
#include "res/CommandIds.h"
#include "tests/FrameFixture.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

using namespace Qt::Literals::StringLiterals;

// The program as a whole: start-up, command routing and state, keys, the
// frame's commands, the context menu and the About box.
class TestApp : public QObject
{
    Q_OBJECT
private:
    // The whole program as start-up makes it, with the scripted platform.
    struct Program
    {
        CScriptedPlatform platform;
        CQeApp app;
        CMainFrame* frame = nullptr;
        CQeView* view = nullptr;

        // An embedded start shows no splash window, and so no file check.
        explicit Program(const QStringList& arguments = {u"qe"_s, u"-Embedding"_s})
        {
            CurrentUser = CCurrentUser();
            app.InitInstance(arguments);
            frame = app.MainFrame();
            view = frame->GetActiveView();
        }
        bool Enabled(int nID) const { return frame->Router().Query(nID).m_bEnabled; }
        // Each box shown, as "caption|text|flags".
        QStringList Boxes() const
        {
            QStringList boxes;
            for (const CScriptedPlatform::Box& box : platform.boxes)
                boxes.append(u"%1|%2|%3"_s.arg(box.caption, box.text).arg(box.flags));
            return boxes;
        }
    };

private slots:
    void startUpMakesTheMainWindow()
    {
        Program p({u"qe"_s});
        QCOMPARE(p.frame->windowTitle(), u"青禾测试系统 - qe"_s);
        QCOMPARE(p.frame->frameGeometry().size(), QSize(750, 540));
        QVERIFY(!(p.frame->windowFlags() & Qt::WindowMaximizeButtonHint));
        // without user.mdb the document reports the engine's message and goes
        // on; then the splash window's check reports the five missing files
        QCOMPARE(p.platform.boxes.size(), 6);
        QVERIFY(p.platform.boxes[0].text.startsWith(u"错误信息:"_s));
        QCOMPARE(p.platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(p.platform.boxes[5].text,
                 u"初始化文件'user.mdb'时出错,可能是文件已损坏或文件不存在!"_s);
        QCOMPARE(p.frame->GetActiveDocument()->m_pDB, nullptr);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));
        QCOMPARE(p.frame->PaneText(0), u"就绪"_s);
        QCOMPARE(p.frame->PaneText(3), u"记时:0     秒"_s);
        QVERIFY(!p.frame->ToolBar()->isMovable());
        // an embedded or automated start shows no splash window
        for (const QString& argument : {u"--database"_s, u"/Embedding"_s, u"-Automation"_s})
            QCOMPARE(CQeApp::ShowSplashFlag({u"qe"_s, argument}), argument == u"--database"_s);
    }

    void enableRules_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("enabled");
        QTest::addColumn<QList<int>>("disabled");
        const QList<int> superOnly{ID_CLEAR_GROUP_SCORES, ID_HISTORY_VIEW, ID_HISTORY_CLEAR,
                                   ID_SUPER_NEW, ID_SUPER_PASSWORD};
        const QList<int> always{ID_USER_LOGOFF,    ID_CLEAR_PERSONAL_SCORES,
                                ID_QUERY_PERSONAL, ID_QUERY_GROUP,
                                ID_HELP_TOPICS,    ID_HELP_ABOUT,
                                ID_PROGRAM_RESET,  ID_APP_EXIT};
        QTest::newRow("before any login") << 0 << (always + QList<int>{ID_USER_NEW})
                                          << (superOnly + QList<int>{ID_USER_SETTINGS});
        QTest::newRow("super user") << int(UserKind::Super) << (always + superOnly)
                                    << QList<int>{ID_USER_SETTINGS, ID_USER_NEW};
        QTest::newRow("ordinary user")
            << int(UserKind::Ordinary) << (always + QList<int>{ID_USER_SETTINGS, ID_USER_NEW})
            << superOnly;
        QTest::newRow("anonymous user")
            << int(UserKind::Anonymous) << (always + QList<int>{ID_USER_NEW})
            << (superOnly + QList<int>{ID_USER_SETTINGS});
    }
    void enableRules()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, enabled);
        QFETCH(QList<int>, disabled);
        Program p;
        CurrentUser.KindCode = kind;
        p.frame->CommandBars()->UpdateToolBar();
        QList<int> wrong; // commands in the wrong state, on the menu or the tool bar
        for (int id : enabled + disabled) {
            if (p.Enabled(id) != enabled.contains(id))
                wrong.append(id);
        }
        for (int id = ID_SCORE_PERSONAL_CHINESE; id <= ID_SCORE_GROUP_SYMBOL; ++id) {
            if (p.Enabled(id))
                wrong.append(id);
        }
        for (int id : {ID_USER_SETTINGS, ID_HISTORY_VIEW}) {
            if (p.frame->CommandBars()->Action(id)->isEnabled() != enabled.contains(id))
                wrong.append(-id);
        }
        QCOMPARE(wrong, QList<int>());
        // a command nobody handles is neither run nor enabled
        QVERIFY(!p.frame->Router().Execute(1) && !p.Enabled(1));
    }

    void exitQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no keeps the help window") << int(IDNO) << true << false;
        QTest::newRow("yes closes it") << int(IDYES) << false << true;
        QTest::newRow("yes with the help window open closes both") << int(IDYES) << true << true;
    }
    void exitQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, help);
        QFETCH(bool, closed);
        Program p;
        p.frame->show();
        if (help)
            p.frame->Router().Execute(ID_HELP_TOPICS);
        CFrameFixture::WriteFile(u"english.txt"_s, "abc");
        p.view->OnPracticeEnglish();
        p.view->OnChar(' ');
        p.platform.boxes.clear();
        p.platform.AnswerBoxes({answer});
        p.frame->Router().Execute(ID_APP_EXIT);
        QCOMPARE(p.Boxes(),
                 QStringList{u"退出?|确定要退出本系统吗?|%1"_s.arg(MB_YESNO | MB_ICONQUESTION)});
        QCOMPARE(p.platform.boxes[0].owner, p.frame);
        QCOMPARE(p.frame->isVisible(), !closed);
        if (help)
            QCOMPARE(p.frame->HelpWindow()->isVisible(), !closed);
        // After a confirmed exit no window of the program is left open.
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto open = std::count_if(windows.cbegin(), windows.cend(),
                                        [](const QWidget* w) { return w->isVisible(); });
        QCOMPARE(open > 0, !closed);
        if (!closed) {
            QVERIFY(p.view->Session().IsRunning());
            QCOMPARE(CurrentPracticeKind, int(PracticeKind::English));
        }
    }

    void guardedCommandsWithoutDatabase_data()
    {
        QTest::addColumn<int>("command");
        for (int id : {ID_USER_SETTINGS, ID_USER_NEW, ID_CLEAR_PERSONAL_SCORES,
                       ID_CLEAR_GROUP_SCORES, ID_HISTORY_VIEW, ID_HISTORY_CLEAR, ID_SUPER_NEW,
                       ID_SUPER_PASSWORD, ID_QUERY_PERSONAL, ID_QUERY_GROUP})
            QTest::newRow(qPrintable(CommandName(id))) << id;
    }
    void guardedCommandsWithoutDatabase()
    {
        QFETCH(int, command);
        Program p;
        p.platform.boxes.clear();
        CurrentUser.KindCode = UserKind::Super;
        QVERIFY(p.frame->Router().Execute(command));
        QCOMPARE(p.Boxes(), QStringList{u"qe|数据库未正确连接!操作无法进行!|%1"_s.arg(
                                MB_OK | MB_ICONEXCLAMATION)});
        QVERIFY(p.platform.modalRuns.isEmpty());
    }

    void logOffWithoutDatabaseStillOpensLogin()
    {
        Program p;
        CurrentUser.Name = u"某人"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        p.frame->Router().Execute(ID_USER_LOGOFF);
        QCOMPARE(p.platform.modalRuns, QStringList{u"CLoginDlg"_s});
        QCOMPARE(CurrentUser.Name, u"NONE"_s);
        QCOMPARE(CurrentUser.KindCode, 0);
        QCOMPARE((QStringList{p.frame->PaneText(1), p.frame->PaneText(2)}),
                 (QStringList{u"用户姓名:NONE"_s, u"用户类型:普通用户"_s}));
        QVERIFY(p.platform.exits.isEmpty()); // cancelling this login ends nothing
    }

    void helpNewsAndUpgrade()
    {
        Program p;
        p.platform.boxes.clear();
        p.frame->Router().Execute(ID_HELP_NEWS);
        QCOMPARE(p.platform.openedUrls, QStringList{u"qe.example.org"_s});
        p.frame->Router().Execute(ID_HELP_UPGRADE);
        const QString box = p.Boxes().join(u'\n');
        QVERIFY2(p.platform.boxes.size() == 1 && box.startsWith(u"错误!|該版本已是最高版"_s) &&
                     box.endsWith(u"|%1"_s.arg(MB_OK | MB_ICONEXCLAMATION)),
                 qPrintable(box));
    }

    // The offscreen screen of 800 x 800 holds the window at 100 % only.
    void displaySizeChosenForTheNextStart_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("a larger step waits for the next start")
            << int(ID_DISPLAY_150) << 150 << u"显示比例已设为 150%。下次启动本程序时生效。"_s;
        QTest::newRow("the step in effect needs no new start")
            << int(ID_DISPLAY_100) << 100 << u"显示比例已设为 100%。"_s;
        QTest::newRow("automatic names the step of this screen")
            << int(ID_DISPLAY_AUTO) << 0 << u"显示比例已设为自动:这台计算机的屏幕上为 100%。"_s;
    }
    void displaySizeChosenForTheNextStart()
    {
        QFETCH(int, command);
        QFETCH(int, chosen);
        QFETCH(QString, text);
        DisplayScale::SetChosenPercent(chosen == 0 ? 100 : 0);
        Program p;
        p.platform.boxes.clear();
        QVERIFY(p.frame->Router().Execute(command));
        QCOMPARE(p.Boxes(), QStringList{u"提示|%1|%2"_s.arg(text).arg(MB_OK | MB_ICONINFORMATION)});
        QCOMPARE(DisplayScale::ChosenPercent(), chosen);
        for (int id = ID_DISPLAY_AUTO; id <= ID_DISPLAY_300; ++id)
            QCOMPARE(p.frame->Router().Query(id).m_bChecked, id == command);
        DisplayScale::SetChosenPercent(0);
    }

    // While a context-menu item is highlighted its prompt stands in pane 0,
    // as for the main menu; when the menu closes the idle prompt returns.
    void contextMenuPromptsInPaneZero()
    {
        Program p;
        p.frame->show();
        CurrentUser.KindCode = UserKind::Ordinary;
        QStringList shown;
        p.platform.DrivePopup([&](QMenu* menu) {
            menu->setActiveAction(menu->actions().at(0));
            shown.append(p.frame->PaneText(0));
            QMenu* practice = menu->actions().at(4)->menu();
            practice->popup(menu->geometry().topRight());
            practice->setActiveAction(practice->actions().at(1));
            shown.append(p.frame->PaneText(0));
        });
        p.view->OnContextMenu(p.view, QPoint(-1, -1));
        QCOMPARE(shown, (QStringList{u"对当前用户的各项信息进行设置"_s,
                                     u"练习 , 测试您的英文打字速度"_s}));
        QCOMPARE(p.frame->PaneText(0), u"就绪"_s);
        QVERIFY(p.frame->statusBar()->currentMessage().isEmpty());
        // from the keyboard the menu opens at the view's corner
        QCOMPARE(p.platform.popups[0].point, p.view->mapToGlobal(QPoint(5, 5)));
        QCOMPARE(p.platform.popups[0].texts.mid(0, 5),
                 (QStringList{u"当前用户设置(&S)"_s, u"建立新用户(&N)"_s, u"注销当前用户"_s, u"-"_s,
                              u"练习(&T)"_s}));
        p.view->OnContextMenu(p.view, QPoint(300, 200));
        QCOMPARE(p.platform.popups[1].point, QPoint(300, 200));
    }

    // The prompt pane shows a whole prompt of 20 Chinese characters at the
    // window's 750 pixels; the other panes are as wide as their first texts.
    void paneZeroHoldsAPrompt()
    {
        Program p;
        p.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.frame));
        QLabel* prompt = p.frame->Pane(0);
        const int needed = prompt->fontMetrics().horizontalAdvance(QString(20, QChar(0x7EC3)));
        QVERIFY2(prompt->contentsRect().width() >= needed,
                 qPrintable(u"%1 of %2 pixels"_s.arg(prompt->contentsRect().width()).arg(needed)));
        for (int i = 1; i < CMainFrame::PaneCount; ++i) {
            QLabel* pane = p.frame->Pane(i);
            QVERIFY(pane->contentsRect().width() >=
                    pane->fontMetrics().horizontalAdvance(pane->text()));
        }
        QVERIFY(p.frame->PaneText(5).startsWith(u"作者:"_s) && p.frame->PaneText(5).endsWith(u' '));
    }

    // Qt's own texts are Chinese too: an edit box's context menu, the
    // standard buttons, the calendar's month names.
    void qtTextsAreChinese()
    {
        Program p;
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts.append(action->text().section(u'\t', 0, 0));
        }
        QVERIFY2(texts.contains(u"全选"_s), qPrintable(texts.join(u'|')));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"取消"_s);
        QCOMPARE(QLocale().monthName(1), u"一月"_s);
    }

    // The About box shows its four lines whole, without a scroll bar, the
    // link below them; the link opens the site and leaves the box open.
    void aboutBox()
    {
        Program p;
        p.platform.DriveDialog([&](QDialog* dialog) {
            auto* about = static_cast<CAboutDlg*>(dialog);
            auto* info = about->Item<QPlainTextEdit>(1002);
            QCOMPARE(info->toPlainText().split(u'\n').size(), 4);
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            QCOMPARE(info->verticalScrollBar()->maximum(), 0);
            const QImage image = info->viewport()->grab().toImage();
            QList<std::pair<int, int>> bands; // rows of dark pixels
            for (int y = 0; y < image.height(); ++y) {
                bool dark = false;
                for (int x = 0; x < image.width() && !dark; ++x)
                    dark = qGray(image.pixel(x, y)) < 128;
                if (dark && !bands.isEmpty() && bands.last().second >= y - 2)
                    bands.last().second = y;
                else if (dark)
                    bands.append({y, y});
            }
            QCOMPARE(bands.size(), 4);
            QVERIFY(bands.first().first > 0 && bands.last().second < image.height() - 1);
            QVERIFY(about->Item<QLabel>(1001)->geometry().top() >= info->geometry().bottom() &&
                    about->rect().contains(about->GetDlgItem(1)->geometry()) && info->isReadOnly());
            about->ClickButton(1001);
            QVERIFY(about->isVisible());
            about->ClickButton(1);
        });
        p.frame->Router().Execute(ID_HELP_ABOUT);
        QVERIFY(!CAboutDlg::InformationText().endsWith(u"\r\n"_s));
        // the link was followed in the box, which then closed
        QCOMPARE(p.platform.openedUrls, QStringList{u"http://qe.example.org"_s});
        QCOMPARE(p.platform.unfinishedDialogs, 0);
    }
};

QE_TEST_MAIN(TestApp)
#include "tst_app.moc"
