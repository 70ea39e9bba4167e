#include "app/AboutDlg.h"
#include "app/CommandBars.h"
#include "app/CommandRouter.h"
#include "app/QeApp.h"
#include "platform/DisplayScale.h"
#include "res/CommandIds.h"
#include "tests/PracticeFixture.h"
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
        CPracticeFixture::WriteFile(u"english.txt"_s, "abc");
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
        QVERIFY(p.frame->PaneText(5).startsWith(u"作者:"_s));
        QVERIFY(p.frame->PaneText(5).endsWith(u' '));
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
