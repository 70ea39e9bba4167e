#include "attempts/AttemptStore.h"
#include "coaching/CoachingCommands.h"
#include "coaching/SmartDrill.h"
#include "exams/ExamCommands.h"
#include "exams/ExamStore.h"
#include "platform/ListCtrl.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/HostileFiles.h"
#include "tests/PracticeFixture.h"
#include "tests/TeachingFixture.h"
#include "tests/SettleWorker.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/ChooseTextDlg.h"
#include "texts/Drill.h"
#include "texts/DrillDlg.h"
#include "texts/TextCommands.h"
#include "texts/TextEditDlg.h"
#include "texts/TextLibraryDlg.h"
#include "texts/TextRules.h"
#include "users/Session.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int IDC_IMPORT = 1005;
constexpr int IDC_DELETE = 1004;

const QDateTime Day(QDate(2024, 9, 2), QTime(8, 0));

qint64 SaveText(CDaoDatabase* db, const QString& title, int kind, const QString& body)
{
    return TextStore::SaveText(
        *db, {.strTitle = title, .nKind = kind, .strBody = TextRules::Normalise(body, kind)});
}

void StoreMistakes(CDaoDatabase* db, qint64 user, int kind, const QDateTime& at,
                   const QStringList& expected)
{
    CAttempt attempt = TimedAttempt(user, kind, at, 0);
    for (const QString& text : expected)
        attempt.mistakes.append({int(attempt.mistakes.size()), text, u"x "_s});
    StoreWithScore(*db, attempt);
}

// Runs a teaching command of Commands for the pupil 李华 (key 5) logged in,
// on the fixture's view.
template <class Commands = CTextCommands>
bool RunAsPupil(CPracticeFixture& f, CTestDatabase* db, int id)
{
    LogInPupil(5, u"李华"_s, u"三年级二班"_s, u"20245"_s, db, f.doc.m_pDB);
    Commands commands(CSession::Instance());
    commands.SetView(f.view);
    const bool bHandled = commands.OnCmdMsg(id);
    SettleWorker(); // a practice read on the worker is loaded once answered
    return bHandled;
}

} // namespace

// The text library, choosing a text's screen, and drills on one's own
// mistakes.
class TestTexts : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    // A library text keeps its English words whole on a row, and no Chinese
    // row starts with a closing mark; no word of the text is lost.
    void rowsKeepWordsWhole()
    {
        const QString english =
            u"Every morning the children walk to school together.\n"_s.repeated(40);
        const QByteArray bytes = TextRules::FileBytes(english, PracticeKind::English);
        QVERIFY(bytes.contains('\0'));
        QStringList words;
        for (qsizetype at = 0; at < bytes.size(); at += CQeDoc::Columns) {
            QByteArray row = bytes.mid(at, CQeDoc::Columns);
            QVERIFY2(at == 0 || (row[0] != ' ' && row[0] != '\0'), row.constData());
            words += QString::fromLatin1(row.replace('\0', ' ')).split(u' ', Qt::SkipEmptyParts);
        }
        QCOMPARE(words, english.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts));

        const QString chinese = QString(45, u'春') + u"眠，不觉晓。"_s;
        const QByteArray cells = TextRules::FileBytes(chinese, PracticeKind::Chinese);
        QCOMPARE(cells.mid(2 * 45, 2), QByteArray(2, '\0'));
        QCOMPARE(Gbk::Decode(cells.mid(2 * CQeDoc::Cells, 4)), u"眠，"_s);
    }

    // The library and the exams are a teacher's.
    void init()
    {
        CDatabaseSuite::init();
        m_pDatabase->SignInAsTeacher();
    }

    // Import reads UTF-8 and GBK and refuses a broken file; the title comes
    // from the first file's name, later imports keep it. On saving, a
    // Chinese text's punctuation becomes full-width and the characters GBK
    // cannot hold are listed; nothing is saved until they are gone. The
    // refusal counts them all and lists the first forty: the fuzzing's file
    // of 100,000 distinct ones once took seconds to check.
    void importAndSavingRefuseWhatTheyCannotTake()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        const QString spring = u"春眠不觉晓，处处闻啼鸟。"_s;
        const QString summer = u"Summer: the sun is hot."_s;
        CPracticeFixture::WriteFile(u"春晓.txt"_s, Gbk::Encode(spring));
        CPracticeFixture::WriteFile(u"summer.txt"_s, QByteArray("\xEF\xBB\xBF") + summer.toUtf8());
        CPracticeFixture::WriteFile(u"broken.txt"_s, Gbk::Encode(spring) + QByteArray("\xFF\xFF"));
        const QString many = HostileFiles::DistinctOutsideGbk();
        QStringList first;
        for (int i = 0; i < 40; ++i)
            first.append(many.mid(2 * i, 2));
        CPracticeFixture::WriteFile(u"外字.txt"_s, many.toUtf8());
        CScriptedPlatform platform;
        platform.AnswerFiles({QDir::current().filePath(u"春晓.txt"_s),
                              QDir::current().filePath(u"broken.txt"_s), QString(),
                              QDir::current().filePath(u"summer.txt"_s),
                              QDir::current().filePath(u"外字.txt"_s)});
        QStringList bodies, titles;
        QString shownRefused, screens, longScreens;
        bool bOpenWhileRefused = false;
        int rowsWhileRefused = -1;
        Drive<CTextEditDlg>(platform, [&](CTextEditDlg* dlg) {
            for (int i = 0; i < 4; ++i) {
                dlg->ClickButton(IDC_IMPORT);
                bodies.append(dlg->m_editBody->toPlainText());
                titles.append(dlg->m_editTitle->text());
            }
            dlg->ClickButton(IDC_IMPORT);
            Press(dlg, 1);
            dlg->m_editBody->setPlainText(QString(1500, QChar(0x6625)));
            longScreens = dlg->ScreensText();
            dlg->m_editTitle->setText(u"  春天  "_s);
            dlg->m_editBody->setPlainText(u"春天来了,花开了!😀\n小草\"绿\"了𠀀"_s);
            screens = dlg->ScreensText();
            bOpenWhileRefused = Press(dlg, 1);
            shownRefused = dlg->m_editBody->toPlainText();
            rowsWhileRefused = CountRows(db, u"practice_text"_s);
            dlg->m_editBody->setPlainText(QString(shownRefused).remove(u"😀"_s).remove(u"𠀀"_s));
            Press(dlg, 1);
        });
        CTextEditDlg dlg(CSession::Instance(), {.nKind = PracticeKind::Chinese});
        QCOMPARE(dlg.DoModal(), int(IDOK));
        QCOMPARE(platform.fileChoosers, QStringList(5, u"导入文本文件"_s));
        QCOMPARE(bodies, (QStringList{spring, spring, spring, summer}));
        QCOMPARE(titles, QStringList(4, u"春晓"_s));
        QCOMPARE(longScreens, u"共 3 屏"_s);
        QCOMPARE(screens, u"共 1 屏"_s);
        QVERIFY(bOpenWhileRefused);
        QCOMPARE(rowsWhileRefused, 0);
        QCOMPARE(shownRefused, u"春天来了，花开了！😀\n小草“绿”了𠀀"_s);
        const QString outsideGbk = u"以下字符不在 GBK 字符集中,中文练习无法显示和输入"_s;
        CompareBoxes(
            platform,
            {Box(u"文件'broken.txt'不是 UTF-8 或 GBK 编码的文本文件,无法导入。"_s, u"错误!"_s,
                 MB_OK | MB_ICONEXCLAMATION),
             Box(outsideGbk + u"(共 100000 个),请修改后再保存:\n%1 ……"_s.arg(first.join(u' ')),
                 u"错误!"_s, MB_OK | MB_ICONEXCLAMATION),
             Box(outsideGbk + u"(共 2 个),请修改后再保存:\n😀 𠀀"_s, u"错误!"_s,
                 MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(SelectRows(db, u"SELECT title, kind, body FROM practice_text"_s),
                 QStringList{u"春天|111|春天来了，花开了！\n小草“绿”了"_s});
        QCOMPARE(dlg.Text().nId,
                 SelectRows(db, u"SELECT id FROM practice_text"_s).value(0).toLongLong());
    }

    // A text an exam is set on is not deleted; another is, after Yes.
    void libraryKeepsTheTextsOfExams()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        const qint64 used = SaveText(db, u"A 考试用"_s, PracticeKind::English, u"abc"_s);
        SaveText(db, u"B 练习"_s, PracticeKind::Chinese, QString(700, QChar(0x6625)));
        ExamStore::SaveExam(*db, {.strTitle = u"期中"_s, .nTextId = used, .classes = {u"一班"_s}});

        CScriptedPlatform platform;
        platform.AnswerBoxes({IDOK, IDNO, IDYES});
        Rows listed;
        int textsAfter = 0;
        Drive<CTextLibraryDlg>(platform, [&](CTextLibraryDlg* dlg) {
            listed = ListOf(dlg->m_listTexts).cells;
            for (const int row : {0, 1, 1}) {
                dlg->m_listTexts->setCurrentIndex(dlg->m_listTexts->model()->index(row, 0));
                ClickAndWait(dlg, IDC_DELETE);
            }
            textsAfter = dlg->Texts().size();
        });
        CTextLibraryDlg dlg(CSession::Instance());
        dlg.DoModal();
        QCOMPARE(listed[0].mid(0, 4), (QStringList{u"A 考试用"_s, u"英文"_s, u"1"_s, u"3"_s}));
        QCOMPARE(listed[1].mid(0, 4), (QStringList{u"B 练习"_s, u"中文"_s, u"2"_s, u"700"_s}));
        CompareBoxes(platform,
                     Rows{Box(u"文章《A 考试用》已用于考试(期中),不能删除。请先删除这些考试。"_s,
                              u"提示"_s, MB_OK | MB_ICONEXCLAMATION)} +
                         Rows(2, Box(u"确定要删除文章《B 练习》吗?"_s, u"提示!"_s,
                                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)));
        QCOMPARE(textsAfter, 1);
        QCOMPARE(SelectRows(db, u"SELECT title FROM practice_text"_s), QStringList{u"A 考试用"_s});
    }

    // 选择练习文章: the chosen screen is practised, and the attempt names the
    // text and the screen.
    void chosenScreenIsPractisedAndNamed()
    {
        CPracticeFixture f;
        QByteArray letters;
        for (int i = 0; letters.size() < 1288 + 200; ++i)
            letters.append(char('a' + i % 26));
        SaveText(m_pDatabase->Admin(), u"空文章"_s, PracticeKind::Chinese, u"春"_s);
        const qint64 id = SaveText(m_pDatabase->Admin(), u"字母"_s, PracticeKind::English,
                                   QString::fromLatin1(letters));
        QStringList screens;
        Drive<CChooseTextDlg>(f.platform, [&](CChooseTextDlg* dlg) {
            const int row = dlg->m_listTexts->GetItemText(0, 0) == u"字母"_s ? 0 : 1;
            dlg->m_listTexts->setCurrentIndex(dlg->m_listTexts->model()->index(row, 0));
            for (int i = 0; i < dlg->m_comboScreen->count(); ++i)
                screens.append(dlg->m_comboScreen->itemText(i));
            dlg->m_comboScreen->setCurrentIndex(1);
            dlg->ClickButton(1);
        });
        QVERIFY(RunAsPupil(f, m_pDatabase.get(), ID_TEACHING_CHOOSE_TEXT));
        QCOMPARE(screens, (QStringList{u"第 1 屏"_s, u"第 2 屏"_s}));
        QCOMPARE(f.view->LoadedScreen().value().nScreen, 2);
        QCOMPARE(f.TextRow(0), letters.mid(1288, 92));
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::English));

        f.Type(" " + letters.mid(1288, 10) + "x");
        f.platform.Advance(2000); // 11 keys as a person types them
        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.Type(QByteArray("\x1b"));
        const QStringList attempts = StoredAttempts(f.doc.m_pDB);
        QVERIFY2(attempts.value(0).contains(u"|112|字母|"_s), qPrintable(attempts.value(0)));
        QCOMPARE(SelectRows(f.doc.m_pDB,
                            u"SELECT text_id, screen, COALESCE(exam_id, 0) FROM attempt_text"_s),
                 QStringList{u"%1|2|0"_s.arg(id)});
    }

    // The drill is made of what the pupil mistyped most in the latest
    // attempts of the kind: not older ones, not another kind's, not
    // another pupil's.
    void drillIsMadeOfRecentMistakes()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreMistakes(db, 5, PracticeKind::Chinese, Day, {u"旧"_s, u"旧"_s, u"旧"_s});
        for (int i = 1; i <= Drill::RecentAttempts; ++i)
            StoreMistakes(db, 5, PracticeKind::Chinese, Day.addSecs(60 * i),
                          i <= 5 ? QStringList{u"的"_s, u"了"_s} : QStringList{u"的"_s});
        StoreMistakes(db, 5, PracticeKind::Chinese, Day.addDays(1), {u"是"_s, u"1 "_s, u"  "_s});
        StoreMistakes(db, 5, PracticeKind::English, Day, {u"q"_s});
        StoreMistakes(db, 6, PracticeKind::Chinese, Day.addDays(2), {u"人"_s});

        LogInPupil(5, u"李华"_s, u"三年级二班"_s, u"20245"_s, m_pDatabase.get());
        const QList<Drill::CUnit> units =
            Drill::RecentMistakes(*m_pDatabase->Database(), 5, PracticeKind::Chinese);
        // The latest 20 of 22 attempts: the two oldest (旧, and one 的 了) are
        // out; the blank cell is no character to drill.
        QCOMPARE(units,
                 (QList<Drill::CUnit>{{u"的"_s, 19}, {u"了"_s, 4}, {u"1 "_s, 1}, {u"是"_s, 1}}));

        const QByteArray screen = Drill::ScreenText(units, PracticeKind::Chinese, 42);
        QCOMPARE(screen.size(), 644 * 2);
        QMap<QString, int> counts;
        int repeats = 0;
        for (int cell = 0; cell < 644; ++cell) {
            const QByteArray unit = screen.mid(2 * cell, 2);
            counts[unit == "1 " ? u"1 "_s : Gbk::Decode(unit)]++;
            repeats += cell > 0 && unit == screen.mid(2 * cell - 2, 2);
        }
        QCOMPARE(counts.keys(), (QStringList{u"1 "_s, u"了"_s, u"是"_s, u"的"_s}));
        QVERIFY2(counts[u"的"_s] > 3 * counts[u"了"_s] && counts[u"了"_s] > counts[u"是"_s],
                 qPrintable(
                     u"%1 %2 %3"_s.arg(counts[u"的"_s]).arg(counts[u"了"_s]).arg(counts[u"是"_s])));
        // Where one unit is most of the screen some must follow themselves,
        // but no more than that.
        QCOMPARE(repeats, 2 * counts[u"的"_s] - 644 - 1);
        QCOMPARE(Drill::ScreenText(units, PracticeKind::Chinese, 42), screen);
        QVERIFY(Drill::ScreenText(units, PracticeKind::Chinese, 43) != screen);

        // Keys come in groups of five, each key of the four.
        const QList<Drill::CUnit> keys{{u"q"_s, 4}, {u"w"_s, 3}, {u";"_s, 2}, {u"p"_s, 1}};
        const QByteArray keyScreen = Drill::ScreenText(keys, PracticeKind::English, 1);
        QCOMPARE(keyScreen.size(), 1284);
        for (int i = 0; i < keyScreen.size(); ++i)
            QVERIFY(i % 6 == 5 ? keyScreen[i] == ' ' : QByteArray("qw;p").contains(keyScreen[i]));
    }

    // 智能练习 leans on the weakest key of the pupil's latest screens: over
    // 1,000 screens it comes at least twice as often as in the word list.
    // Once five screens typed it well, it is no longer weak and comes as
    // often as the words bring it.
    void smartDrillLeansOnWeakKeysUntilTheyAreTypedWell()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        const auto storeScreens = [&](int from, int vMedianMs, int vMissed) {
            for (int i = 0; i < SmartDrill::RecentAttempts; ++i) {
                CAttempt attempt =
                    TimedAttempt(5, PracticeKind::English, Day.addSecs(60 * (from + i)), 60000);
                for (char16_t c = u'a'; c <= u'z'; ++c) {
                    const bool v = c == u'v';
                    attempt.detail.keys.append(
                        {QString(QChar(c)), 10, 10 - (v ? vMissed : 0), 0, v ? vMedianMs : 250});
                }
                StoreWithScore(*db, attempt);
            }
        };
        const auto vShare = [](const QByteArray& text) {
            const auto letters = std::count_if(text.begin(), text.end(),
                                               [](char c) { return c >= 'a' && c <= 'z'; });
            return double(text.count('v')) / double(std::max<qsizetype>(letters, 1));
        };
        const QStringList words = SmartDrill::Words();
        QVERIFY(words.size() > 1000);
        const double listShare = vShare(words.join(u' ').toLatin1());
        const auto screensShare = [&](const QList<CKeyFigures>& keys) {
            QByteArray all;
            for (quint32 seed = 1; seed <= 1000; ++seed) {
                const QByteArray screen = SmartDrill::EnglishScreen(keys, words, seed);
                if (screen.size() != 14 * 92)
                    return -1.0;
                // Whole words only, none split across rows, and each row's
                // last word at its end.
                for (int row = 0; row < 14; ++row) {
                    if (screen[row * 92 + 90] == ' ')
                        return -3.0;
                    for (const QByteArray& word : screen.mid(row * 92, 92).split(' ')) {
                        if (!word.isEmpty() && !words.contains(QString::fromLatin1(word)))
                            return -2.0;
                    }
                }
                all += screen;
            }
            return vShare(all);
        };

        storeScreens(0, 900, 3);
        QList<CKeyFigures> keys = SmartDrill::RecentKeys(*db, 5);
        QCOMPARE(SmartDrill::WeakKeys(keys).value(0).strKey, u"v"_s);
        double share = screensShare(keys);
        QVERIFY2(share >= 2 * listShare, qPrintable(u"%1 %2"_s.arg(share).arg(listShare)));
        // The command loads such a screen for the pupil logged in.
        {
            CPracticeFixture f;
            QVERIFY(RunAsPupil<CCoachingCommands>(f, m_pDatabase.get(), ID_TEACHING_SMART));
            QCOMPARE(f.view->LoadedScreen().value().strTitle, u"智能练习"_s);
            // Its card names the key it trains.
            QCOMPARE(f.view->LoadedScreen().value().strAim, u"这一屏多练这些键:v"_s);
            QVERIFY2(f.TextRow(0).count('v') >= 3, f.TextRow(0).constData());
        }

        storeScreens(10, 300, 0);
        keys = SmartDrill::RecentKeys(*db, 5);
        QVERIFY(SmartDrill::WeakKeys(keys).isEmpty());
        share = screensShare(keys);
        QVERIFY2(share > 0.7 * listShare && share < 1.4 * listShare,
                 qPrintable(u"%1 %2"_s.arg(share).arg(listShare)));
    }

    // The Chinese side: sentences rich in the character that cost the
    // pupil most keys come at least twice as often as in our texts, until
    // five screens typed it cheaply.
    void smartDrillLeansOnCostlyCharacters()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        const auto storeScreens = [&](int from, int keysOfStar) {
            for (int i = 0; i < SmartDrill::RecentAttempts; ++i) {
                CAttempt attempt =
                    TimedAttempt(5, PracticeKind::Chinese, Day.addSecs(60 * (from + i)), 60000);
                for (int n = 0; n < 4; ++n) {
                    attempt.detail.commits.append({u"的"_s, u"的"_s, u"de"_s, 2, 500});
                    attempt.detail.commits.append({u"星"_s, u"星"_s, u"xing␣"_s, keysOfStar, 900});
                }
                StoreWithScore(*db, attempt);
            }
        };
        const auto starShare = [](const QString& text) {
            return double(text.count(u'星')) / double(std::max<qsizetype>(text.size(), 1));
        };
        const QStringList sentences = SmartDrill::Sentences();
        QVERIFY(sentences.size() > 200);
        const double listShare = starShare(sentences.join(QString()));
        QVERIFY(listShare > 0);
        const auto screensShare = [&]() {
            const QList<SmartDrill::CCharRecord> characters = SmartDrill::RecentCharacters(*db, 5);
            QString all;
            for (quint32 seed = 1; seed <= 1000; ++seed) {
                const QByteArray screen = SmartDrill::ChineseScreen(characters, sentences, seed);
                if (screen.size() != 1288)
                    return -1.0;
                all += Gbk::Decode(screen);
            }
            return starShare(all);
        };

        storeScreens(0, 6);
        QCOMPARE(SmartDrill::WeakCharacters(SmartDrill::RecentCharacters(*db, 5)).value(0).strChar,
                 u"星"_s);
        double share = screensShare();
        QVERIFY2(share >= 2 * listShare, qPrintable(u"%1 %2"_s.arg(share).arg(listShare)));
        // Yet no clause comes twice on a screen.
        QStringList clauses;
        static const QRegularExpression clause(u"[^，。！？；：、]+[，。！？；：、]"_s);
        const QString screen = Gbk::Decode(
            SmartDrill::ChineseScreen(SmartDrill::RecentCharacters(*db, 5), sentences, 7));
        for (auto it = clause.globalMatch(screen); it.hasNext();)
            clauses.append(it.next().captured());
        QVERIFY(clauses.size() > 20);
        QCOMPARE(clauses.removeDuplicates(), 0);

        storeScreens(10, 2);
        QVERIFY(SmartDrill::WeakCharacters(SmartDrill::RecentCharacters(*db, 5)).isEmpty());
        share = screensShare();
        QVERIFY2(share > 0.6 * listShare && share < 1.6 * listShare,
                 qPrintable(u"%1 %2"_s.arg(share).arg(listShare)));
    }

    // It opens on the kind practised last. Too few mistyped characters: the
    // dialog says so and nothing starts; enough: the command loads a
    // screenful of them.
    void drillCommandNeedsEnoughMistakes()
    {
        CPracticeFixture f;
        StoreMistakes(m_pDatabase->Admin(), 5, PracticeKind::Chinese, Day, {u"的"_s, u"了"_s});
        StoreMistakes(m_pDatabase->Admin(), 5, PracticeKind::English, Day.addSecs(60),
                      {u"a"_s, u"b"_s, u"c"_s});
        QString chineseShown;
        int openedOn = -1;
        Drive<CDrillDlg>(f.platform, [&](CDrillDlg* dlg) {
            openedOn = dlg->Item<QComboBox>(1001)->currentIndex();
            dlg->ChooseItem(1001, 0);
            SettleWorker(); // the kind's mistakes are read on the worker
            chineseShown = dlg->GetDlgItemText(1002);
            dlg->ClickButton(1); // refused: two characters only
            dlg->ChooseItem(1001, 1);
            SettleWorker();
            dlg->ClickButton(1);
        });
        QVERIFY(RunAsPupil(f, m_pDatabase.get(), ID_TEACHING_DRILL));
        QCOMPARE(openedOn, 1); // English
        QVERIFY2(chineseShown.startsWith(u"最近的中文练习中打错的字(键)只有 2 个"_s),
                 qPrintable(chineseShown));
        CompareBoxes(f.platform, {Box(chineseShown, u"提示"_s, MB_OK | MB_ICONINFORMATION)});
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::English));
        QCOMPARE(f.view->LoadedScreen().value().strTitle, u"练习我的错字"_s);
        const QByteArray row = f.TextRow(0);
        QCOMPARE(row[5], ' ');
        const QByteArray keys = QByteArray(row).replace(' ', "");
        QVERIFY2(keys.count('a') > 0 &&
                     QByteArray(keys).replace('a', "").replace('b', "").replace('c', "").isEmpty(),
                 row.constData());
    }

    void commandsFollowTheUserKind_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<QString>("enabled"); // the commands enabled, of 33021 to 33025
        QTest::newRow("super user") << int(UserKind::Super) << u"33021 33022 33024"_s;
        QTest::newRow("ordinary user") << int(UserKind::Ordinary) << u"33022 33023 33025"_s;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << u"33022"_s;
        QTest::newRow("before login") << 0 << u"33022"_s;
    }
    void commandsFollowTheUserKind()
    {
        QFETCH(int, kindCode);
        QFETCH(QString, enabled);
        CurrentUser = {.KindCode = kindCode};
        CTextCommands texts(CSession::Instance());
        CExamCommands exams(CSession::Instance());
        const auto commands = [&](int id) -> ICommandTarget& {
            return texts.HasCommandHandler(id) ? static_cast<ICommandTarget&>(texts) : exams;
        };
        QStringList shown;
        for (int id = ID_TEACHING_TEXTS; id <= ID_TEACHING_TAKE_EXAM; ++id) {
            CCmdUI state(id);
            QVERIFY(commands(id).OnUpdateCmdUI(state));
            if (state.m_bEnabled)
                shown.append(QString::number(id));
        }
        QCOMPARE(shown.join(u' '), enabled);

        // Each behind the database guard.
        NoDatabase();
        CScriptedPlatform platform;
        for (int id = ID_TEACHING_TEXTS; id <= ID_TEACHING_TAKE_EXAM; ++id)
            QVERIFY(commands(id).OnCmdMsg(id));
        CompareBoxes(platform, Rows(5, Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)));
        QVERIFY(platform.modalRuns.isEmpty());
    }
};

QE_TEST_MAIN(TestTexts)
#include "tst_texts.moc"
