#include "attempts/AttemptStore.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ProgressChart.h"
#include "reports/ProgressDlg.h"
#include "reports/ReportCommands.h"
#include "res/CommandIds.h"
#include "tests/DialogDriver.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 Pupil = 7;
constexpr qint64 OtherPupil = 8;

QDateTime At(int day, int hour)
{
    return QDateTime(QDate(2024, 9, day), QTime(hour, 0));
}

void Store(CDaoDatabase* db, qint64 user, int kind, const QDateTime& at, qint64 ms, int typed,
           int correct, const QList<CMistake>& mistakes = {})
{
    CAttempt attempt;
    attempt.nUserKey = user;
    attempt.nKind = kind;
    attempt.startedAt = at;
    attempt.endedAt = at.addMSecs(ms);
    attempt.nElapsedMs = ms;
    attempt.nTypedUnits = typed;
    attempt.nCorrectUnits = correct;
    attempt.mistakes = mistakes;
    QVERIFY(AppendScoreWithAttempt(db, {{9, CDaoFieldValue::FromInt16(0)}}, &attempt));
}

// The attempts of the figures below, stored in an order that is not theirs.
void StoreKnown(CDaoDatabase* db)
{
    Store(db, Pupil, 111, At(3, 9), 90000, 50, 45,
          {{1, u"的"_s, u"地"_s}, {4, u"了"_s, u"啦"_s}, {6, u"是"_s, u"事"_s}});
    Store(db, Pupil, 111, At(2, 9), 60000, 30, 25,
          {{2, u"的"_s, u"地"_s}, {5, u"的"_s, u"得"_s}, {9, u"是"_s, u"事"_s}});
    Store(db, OtherPupil, 111, At(5, 9), 30000, 40, 40, {{0, u"的"_s, u"滴"_s}});
    Store(db, Pupil, 112, At(2, 10), 30000, 100, 95, {{0, u"T"_s, u"t"_s}, {10, u" "_s, u"x"_s}});
    // Symbols a to y mistyped 1 to 25 times (as ';' each time).
    QList<CMistake> symbols;
    for (int k = 0; k < 25; ++k) {
        for (int n = 0; n <= k; ++n)
            symbols.append({int(symbols.size()), QString(QChar(u'a' + k)), u";"_s});
    }
    Store(db, Pupil, 114, At(1, 9), 120000, 400, 75, symbols);
    Store(db, Pupil, 111, At(4, 8), 0, 0, 0);
}

// What the window showed for one kind.
struct KindShown
{
    QString figures;
    Rows mistakes;
    QList<QPointF> speeds;
    QList<QPointF> accuracies;
};

KindShown Capture(CProgressDlg* dlg)
{
    return {dlg->m_wndFigures->text(), ListOf(dlg->m_listMistakes).cells,
            dlg->m_pChart->SpeedPoints(), dlg->m_pChart->AccuracyPoints()};
}

QPointF Point(const QDateTime& when, double value)
{
    return {double(when.toMSecsSinceEpoch()), value};
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_pDatabase = std::make_unique<CTestDatabase>(); }
    void cleanup() { m_pDatabase.reset(); }

    void figuresOfAKnownSetOfAttempts()
    {
        StoreKnown(m_pDatabase->Admin());
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = Pupil;
        m_pDatabase->SignInAsCurrentUser();
        CScriptedPlatform platform;
        Listing attempts;
        int initialKind = 0;
        KindShown chinese, english, digits, symbols;
        QString copied;
        platform.DriveDialog([&](QDialog* dialog) {
            auto* dlg = static_cast<CProgressDlg*>(dialog);
            attempts = ListOf(dlg->m_listAttempts);
            initialKind = dlg->ShownKind();
            chinese = Capture(dlg);
            dlg->ChooseItem(1002, 1);
            english = Capture(dlg);
            dlg->ChooseItem(1002, 2);
            digits = Capture(dlg);
            dlg->ChooseItem(1002, 3);
            symbols = Capture(dlg);
            dlg->m_listAttempts->setCurrentIndex(dlg->m_listAttempts->model()->index(1, 0));
            QTest::keySequence(dlg->m_listAttempts, QKeySequence::Copy);
            copied = QGuiApplication::clipboard()->text();
            dlg->ClickButton(2);
        });
        CProgressDlg dlg(Pupil);
        dlg.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());

        QCOMPARE(attempts.headers.mid(0, 5),
                 (QStringList{u"日期时间"_s, u"类型"_s, u"速度"_s, u"正确率"_s, u"用时"_s}));
        // Newest first; only this pupil's. (The key press columns have a
        // suite of their own.)
        Rows firstColumns;
        for (const QStringList& row : std::as_const(attempts.cells))
            firstColumns.append(row.mid(0, 5));
        QCOMPARE(
            firstColumns,
            (Rows{{u"2024-09-04 08:00:00"_s, u"中文"_s, u"0.0 字/分"_s, u"0%"_s, u"0秒"_s},
                  {u"2024-09-03 09:00:00"_s, u"中文"_s, u"30.0 字/分"_s, u"90%"_s, u"1分30秒"_s},
                  {u"2024-09-02 10:00:00"_s, u"英文"_s, u"38.0 WPM"_s, u"95%"_s, u"30秒"_s},
                  {u"2024-09-02 09:00:00"_s, u"中文"_s, u"25.0 字/分"_s, u"83%"_s, u"1分00秒"_s},
                  {u"2024-09-01 09:00:00"_s, u"符号"_s, u"37.5 CPM"_s, u"18%"_s, u"2分00秒"_s}}));
        QCOMPARE(copied,
                 u"2024-09-03 09:00:00\t中文\t30.0 字/分\t90%\t1分30秒\t不可用\t不可用\t0\t"_s);

        // The kind practised last comes first: Chinese. Speeds 0, 30, 25;
        // accuracies 0, 90, 83.
        QCOMPARE(initialKind, 111);
        QCOMPARE(chinese.figures, u"共 3 次   最快 30.0 字/分   平均 28.0 字/分   最高正确率 90%   "
                                  "平均正确率 87.5%   击键 不可用   码长 不可用"_s);
        QCOMPARE(chinese.mistakes, (Rows{{u"的"_s, u"3"_s, u"地×2  得×1"_s},
                                         {u"是"_s, u"2"_s, u"事×2"_s},
                                         {u"了"_s, u"1"_s, u"啦×1"_s}}));
        QCOMPARE(chinese.speeds,
                 (QList<QPointF>{Point(At(2, 9), 25), Point(At(3, 9), 30), Point(At(4, 8), 0)}));
        QCOMPARE(chinese.accuracies,
                 (QList<QPointF>{Point(At(2, 9), 83), Point(At(3, 9), 90), Point(At(4, 8), 0)}));

        QCOMPARE(english.figures, u"共 1 次   最快 38.0 WPM   平均 38.0 WPM   最高正确率 95%   "
                                  "平均正确率 95.0%   击键 不可用   码长 不可用"_s);
        QCOMPARE(english.mistakes, (Rows{{u"␣"_s, u"1"_s, u"x×1"_s}, {u"T"_s, u"1"_s, u"t×1"_s}}));
        QCOMPARE(english.speeds, QList<QPointF>{Point(At(2, 10), 38)});

        QCOMPARE(digits.figures, u"还没有数字练习的记录。"_s);
        QVERIFY(digits.mistakes.isEmpty());
        QVERIFY(digits.speeds.isEmpty());

        // 25 symbols mistyped 1 to 25 times: the 20 most, most first.
        QCOMPARE(symbols.mistakes.size(), 20);
        QCOMPARE(symbols.mistakes.first(), (QStringList{u"y"_s, u"25"_s, u";×25"_s}));
        QCOMPARE(symbols.mistakes.last(), (QStringList{u"f"_s, u"6"_s, u";×6"_s}));
    }

    void commandOnlyForAnOrdinaryUser_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ordinary user") << int(UserKind::Ordinary) << true;
        QTest::newRow("super user") << int(UserKind::Super) << false;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << false;
        QTest::newRow("before login") << 0 << false;
    }
    void commandOnlyForAnOrdinaryUser()
    {
        QFETCH(int, kindCode);
        QFETCH(bool, enabled);
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = kindCode;
        CReportCommands commands;
        CCmdUI state(ID_TEACHING_MY_PROGRESS);
        QVERIFY(commands.OnUpdateCmdUI(state));
        QCOMPARE(state.m_bEnabled, enabled);
    }

    // The command opens the window on the logged-in pupil's own key; a
    // teacher's report opens it on any pupil's key, named in the caption.
    void opensOnThePupilsKey()
    {
        StoreKnown(m_pDatabase->Admin());
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = OtherPupil;
        m_pDatabase->SignInAsCurrentUser();
        CScriptedPlatform platform;
        QStringList captions;
        Rows rows;
        const auto look = [&](QDialog* dialog) {
            auto* dlg = static_cast<CProgressDlg*>(dialog);
            captions.append(dlg->windowTitle());
            rows += ListOf(dlg->m_listAttempts).cells;
            dlg->ClickButton(2);
        };
        platform.DriveDialog(look);
        platform.DriveDialog(look);
        CReportCommands commands;
        QVERIFY(commands.OnCmdMsg(ID_TEACHING_MY_PROGRESS));
        CProgressDlg dlg(OtherPupil, u"王芳"_s);
        dlg.DoModal();
        QCOMPARE(platform.modalRuns, (QStringList{u"CProgressDlg"_s, u"CProgressDlg"_s}));
        QCOMPARE(captions, (QStringList{u"我的练习记录"_s, u"王芳的练习记录"_s}));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value(2), u"80.0 字/分"_s);

        NoDatabase();
        QVERIFY(commands.OnCmdMsg(ID_TEACHING_MY_PROGRESS));
        QCOMPARE(platform.modalRuns.size(), 2);
        CompareBoxes(platform, {Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
