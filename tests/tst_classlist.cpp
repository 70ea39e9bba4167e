#include "attempts/AttemptStore.h"
#include "classroom/ClassListDlg.h"
#include "classroom/LoginCardPainter.h"
#include "classroom/LoginCardsDlg.h"
#include "classroom/PupilDlg.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/TableReader.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSqlQuery>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassA = u"三年级二班"_s;
const QString ClassB = u"五年级一班"_s;
const QString NameTaken = u"您输入的用户名已经有人使用,请更改!"_s;

// Each pupil's user row as "name|class|number|password", in key order.
// Each pupil as "name|class|number|": no password can be read back.
QStringList Pupils(const CTestDatabase& db)
{
    QStringList pupils;
    for (const QStringList& row : db.AccountRows(u"user"_s))
        pupils.append(row.mid(0, 4).join(u'|'));
    return pupils;
}

// Each score row as "name|number".
QStringList Scores(const CTestDatabase& db)
{
    QStringList scores;
    for (const QStringList& row : db.Rows(u"score"_s))
        scores.append(row[0] + u'|' + row[1]);
    return scores;
}

// The key of the pupil with name.
qint64 KeyOf(const CTestDatabase& db, const QString& name)
{
    QSqlQuery query(db.Admin()->Connection());
    query.prepare(u"SELECT qe_key FROM \"user\" WHERE name = ?"_s);
    query.addBindValue(name);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

bool IsSixDigits(const QString& text)
{
    return QRegularExpression(u"^\\d{6}$"_s).match(text).hasMatch();
}

} // namespace

class TestClassList : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Super;
        m_pDatabase->SignInAsTeacher();
        const auto pupil = [this](const QString& name, const QString& cls, const QString& no) {
            return m_pDatabase->Insert(u"user"_s, {name, cls, no, u"pw"_s, u"普通用户"_s});
        };
        m_nFang = pupil(u"王芳"_s, ClassA, u"003"_s);
        m_nMing = pupil(u"李明"_s, ClassA, u"001"_s);
        m_nNamesake = pupil(u"王芳2"_s, ClassB, u"201"_s);
        // Scores and attempts: two of 王芳's, one of the pupil of class B.
        StoreScore(m_nFang, u"王芳"_s, u"003"_s);
        StoreScore(m_nFang, u"王芳"_s, u"003"_s);
        StoreScore(m_nNamesake, u"王芳2"_s, u"201"_s);
    }
    void cleanup() { m_pDatabase.reset(); }

    void addKeepsTheAccountRules_data()
    {
        QTest::addColumn<EditTexts>("texts");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("refusal");
        const auto texts = [](const QString& name, const QString& no, const QString& password) {
            return EditTexts{{1001, name}, {1003, no}, {1004, password}};
        };
        QTest::newRow("a name another pupil has")
            << texts(u"王芳2"_s, u"005"_s, u"abc"_s) << ClassA << NameTaken;
        QTest::newRow("an empty name")
            << texts({}, u"005"_s, u"abc"_s) << ClassA << u"用户姓名不能为空,请输入!"_s;
        QTest::newRow("an empty number")
            << texts(u"张伟"_s, {}, u"abc"_s) << ClassA << u"学号不能为空,请输入!"_s;
        QTest::newRow("an empty class")
            << texts(u"张伟"_s, u"005"_s, u"abc"_s) << QString() << u"班级不能为空,请输入!"_s;
        QTest::newRow("a tab in the name") << texts(u"张\t伟"_s, u"005"_s, u"abc"_s) << ClassA
                                           << u"用户姓名中有制表符,请重新输入!"_s;
        QTest::newRow("a line feed in the class")
            << texts(u"张伟"_s, u"005"_s, u"abc"_s) << u"三年级\n二班"_s
            << u"班级名称中有换行符,请重新输入!"_s;
        QTest::newRow("typed password")
            << texts(u"张伟"_s, u"005"_s, u"abc"_s) << ClassA << QString();
        QTest::newRow("random password") << texts(u"张伟"_s, u"005"_s, {}) << ClassA << QString();
    }
    void addKeepsTheAccountRules()
    {
        QFETCH(EditTexts, texts);
        QFETCH(QString, className);
        QFETCH(QString, refusal);
        CScriptedPlatform platform;
        QString presetClass;
        const QStringList before = Pupils(*m_pDatabase);
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            Drive<CPupilDlg>(platform, [&](CPupilDlg* add) {
                presetClass = add->Item<QComboBox>(1002)->currentText();
                Fill(add, texts);
                add->Item<QComboBox>(1002)->setEditText(className);
                add->ClickButton(1);
            });
            dlg->ClickButton(1010);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);
        // The class shown in the list is the new pupil's class at first.
        QCOMPARE(presetClass, ClassA);
        const QStringList after = Pupils(*m_pDatabase);
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, {Box(refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
            QCOMPARE(after, before);
            return;
        }
        QCOMPARE(after.size(), before.size() + 1);
        const QStringList added = after.last().split(u'|');
        QCOMPARE(added, (QStringList{u"张伟"_s, ClassA, u"005"_s, QString()}));
        // The password is told once, as it is set, and is the account's.
        QCOMPARE(platform.boxes.size(), 1);
        const QString shown = platform.boxes[0].text.section(u"密码:"_s, 1);
        const QString password = texts.value(2).second;
        if (password.isEmpty())
            QVERIFY2(IsSixDigits(shown), qPrintable(shown));
        else
            QCOMPARE(shown, password);
        CompareBoxes(platform, {Box(u"已添加学生 张伟,密码:%1"_s.arg(shown), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
        QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"张伟"_s), shown));
    }

    // A rename takes the pupil's own score rows along; another pupil's
    // name is refused.
    void editCarriesTheScores()
    {
        CScriptedPlatform platform;
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            dlg->SelectPupils({m_nFang});
            Drive<CPupilDlg>(platform, [](CPupilDlg* edit) {
                QVERIFY(!edit->GetDlgItem(1004)->isVisible());
                Fill(edit, {{1001, u"李明"_s}});
                if (!Press(edit, 1))
                    return;
                Fill(edit, {{1001, u"王小芳"_s}, {1003, u"004"_s}});
                edit->ClickButton(1);
            });
            dlg->ClickButton(1011);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);
        CompareBoxes(platform, {Box(NameTaken, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(Pupils(*m_pDatabase),
                 (QStringList{u"王小芳|三年级二班|004|"_s, u"李明|三年级二班|001|"_s,
                              u"王芳2|五年级一班|201|"_s}));
        QVERIFY(m_pDatabase->Accepts(m_nFang, u"pw"_s));
        QCOMPARE(Scores(*m_pDatabase),
                 (QStringList{u"王小芳|004"_s, u"王小芳|004"_s, u"王芳2|201"_s}));
    }

    void resetPassword_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("random") << false << QString() << QString();
        QTest::newRow("typed") << true << u"laoshi"_s << QString();
        // The box takes no more than 10 characters.
        QTest::newRow("typed, 12 characters") << true << TwelveChars << QString();
        QTest::newRow("typed, empty") << true << QString() << PasswordEmpty;
    }
    void resetPassword()
    {
        QFETCH(bool, typed);
        QFETCH(QString, password);
        QFETCH(QString, refusal);
        CScriptedPlatform platform;
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            dlg->SelectPupils({m_nMing});
            Drive<CDialog>(platform, [&](CDialog* reset) {
                if (typed) {
                    reset->Item<QRadioButton>(1002)->click();
                    Fill(reset, {{1003, password}});
                }
                reset->ClickButton(1);
            });
            dlg->ClickButton(1012);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, {Box(refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
            QVERIFY(m_pDatabase->Accepts(m_nMing, u"pw"_s));
            return;
        }
        // Told once, as it is set; the old one no longer opens the account.
        QCOMPARE(platform.boxes.size(), 1);
        const QString shown = platform.boxes[0].text.section(u"新密码是:"_s, 1);
        QVERIFY(typed ? shown == password.left(10) : IsSixDigits(shown));
        CompareBoxes(platform, {Box(u"李明 的新密码是:%1"_s.arg(shown), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
        QVERIFY(m_pDatabase->Accepts(m_nMing, shown));
        QVERIFY(!m_pDatabase->Accepts(m_nMing, u"pw"_s));
        QCOMPARE(Pupils(*m_pDatabase)[1], u"李明|三年级二班|001|"_s);
    }

    // A click chooses a pupil; passing over another on the way to a button
    // chooses nobody else.
    void pointingAtAPupilChoosesNobody()
    {
        CScriptedPlatform platform;
        QString who;
        QStringList selectedAfterPointing;
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            CListCtrl* list = dlg->m_listPupils;
            const QRect first = list->visualRect(list->model()->index(0, 0));
            const QRect second = list->visualRect(list->model()->index(1, 1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
            QTest::mouseMove(list->viewport(), second.center());
            QTest::mouseMove(list->viewport(), second.center() + QPoint(3, 1));
            for (int row = 0; row < list->GetItemCount(); ++row) {
                if (list->selectionModel()->isRowSelected(row, {}))
                    selectedAfterPointing.append(list->GetItemText(row, 0));
            }
            Drive<CDialog>(platform, [&](CDialog* reset) { who = reset->GetDlgItemText(1004); });
            dlg->ClickButton(1012);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QCOMPARE(selectedAfterPointing, QStringList{u"李明"_s});
        QCOMPARE(who, u"学生:李明(学号 001)"_s);
    }

    // A class of one, often a class name mistyped at registration, stands
    // out in the list of classes and says how to merge it.
    void classesOfOneStandOut()
    {
        CScriptedPlatform platform;
        QStringList before, after;
        QString count;
        const auto classes = [](CClassListDlg* dlg) {
            QStringList texts;
            for (int i = 0; i < dlg->m_comboClass->count(); ++i)
                texts.append(dlg->m_comboClass->itemText(i));
            return texts;
        };
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            before = classes(dlg);
            dlg->ChooseItem(1001, dlg->m_comboClass->findData(ClassB));
            count = dlg->GetDlgItemText(1003);
            dlg->SelectPupils({m_nNamesake});
            Drive<CDialog>(platform, [](CDialog* move) {
                move->Item<QComboBox>(1001)->setEditText(ClassA);
                move->ClickButton(1);
            });
            dlg->ClickButton(1013);
            after = classes(dlg);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QCOMPARE(before, (QStringList{u"三年级二班(2 人)"_s, u"五年级一班(只有 1 人)"_s}));
        QVERIFY2(count.contains(u"只有 1 名学生"_s) && count.contains(u"调班"_s),
                 qPrintable(count));
        QCOMPARE(after, QStringList{u"三年级二班(3 人)"_s});
    }

    void moveTwoPupils()
    {
        CScriptedPlatform platform;
        QStringList listedAfter;
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            dlg->SelectPupils({m_nFang, m_nMing});
            Drive<CDialog>(platform, [](CDialog* move) {
                move->Item<QComboBox>(1001)->setEditText(ClassB);
                move->ClickButton(1);
            });
            dlg->ClickButton(1013);
            for (const CPupil& pupil : dlg->Pupils())
                listedAfter.append(pupil.strName);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);
        // The list shows the class they went to.
        QCOMPARE(listedAfter, (QStringList{u"李明"_s, u"王芳"_s, u"王芳2"_s}));
        QCOMPARE(Pupils(*m_pDatabase),
                 (QStringList{u"王芳|五年级一班|003|"_s, u"李明|五年级一班|001|"_s,
                              u"王芳2|五年级一班|201|"_s}));
    }

    void moveRefusesAClassOfOddCharacters_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a line feed") << u"三年级\n二班"_s << u"班级名称中有换行符,请重新输入!"_s;
        QTest::newRow("a zero-width space")
            << u"五年级\u200B一班"_s
            << u"班级名称中有看不见的字符 U+200B(如文字方向符、零宽字符),请重新输入!"_s;
    }
    void moveRefusesAClassOfOddCharacters()
    {
        QFETCH(QString, className);
        QFETCH(QString, refusal);
        CScriptedPlatform platform;
        const QStringList before = Pupils(*m_pDatabase);
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            dlg->SelectPupils({m_nFang});
            Drive<CDialog>(platform, [&](CDialog* move) {
                move->Item<QComboBox>(1001)->setEditText(className);
                move->ClickButton(1);
            });
            dlg->ClickButton(1013);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        CompareBoxes(platform, {Box(refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(Pupils(*m_pDatabase), before);
    }

    void deleteAsksAndKeepsScoresUnlessTicked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("scoresToo");
        QTest::addColumn<QStringList>("pupils");
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<int>("attempts");
        const QStringList all{u"王芳|三年级二班|003|"_s, u"李明|三年级二班|001|"_s,
                              u"王芳2|五年级一班|201|"_s};
        const QStringList allScores{u"王芳|003"_s, u"王芳|003"_s, u"王芳2|201"_s};
        QTest::newRow("No deletes nothing") << int(IDCANCEL) << true << all << allScores << 3;
        QTest::newRow("the scores stay") << int(IDOK) << false << all.mid(1) << allScores << 3;
        QTest::newRow("the scores go too")
            << int(IDOK) << true << all.mid(1) << QStringList{u"王芳2|201"_s} << 1;
    }
    void deleteAsksAndKeepsScoresUnlessTicked()
    {
        QFETCH(int, answer);
        QFETCH(bool, scoresToo);
        QFETCH(QStringList, pupils);
        QFETCH(QStringList, scores);
        QFETCH(int, attempts);
        CScriptedPlatform platform;
        bool bTickedAtFirst = true;
        Drive<CClassListDlg>(platform, [&](CClassListDlg* dlg) {
            dlg->SelectPupils({m_nFang});
            Drive<CDialog>(platform, [&](CDialog* ask) {
                bTickedAtFirst = ask->Item<QCheckBox>(1002)->isChecked();
                ask->Item<QCheckBox>(1002)->setChecked(scoresToo);
                ask->ClickButton(answer);
            });
            dlg->ClickButton(1014);
        });
        CClassListDlg dlg;
        dlg.DoModal();
        QVERIFY(!bTickedAtFirst);
        QCOMPARE(Pupils(*m_pDatabase), pupils);
        QCOMPARE(Scores(*m_pDatabase), scores);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"attempt"_s), attempts);
    }

    void loginCardsPerPage_data()
    {
        QTest::addColumn<bool>("ten");
        QTest::addColumn<int>("pages");
        QTest::newRow("8 to a page") << false << 3;
        QTest::newRow("10 to a page") << true << 2;
    }
    void loginCardsPerPage()
    {
        QFETCH(bool, ten);
        QFETCH(int, pages);
        for (int i = 0; i < 15; ++i) {
            m_pDatabase->Insert(u"user"_s,
                                {u"学生%1"_s.arg(i), ClassA, u"3%1"_s.arg(i, 2, 10, QChar(u'0')),
                                 u"%1"_s.arg(480000 + i * 7), u"普通用户"_s});
        }
        CScriptedPlatform platform;
        const QString pdf = QDir::current().filePath(u"cards.pdf"_s);
        platform.AnswerFiles({pdf});
        platform.AnswerBoxes({IDYES}); // new passwords for the cards
        Drive<CLoginCardsDlg>(platform, [&](CLoginCardsDlg* dlg) {
            dlg->Item<QRadioButton>(ten ? 1003 : 1002)->click();
            dlg->ClickButton(1010);
        });
        CLoginCardsDlg dlg(ClassA);
        dlg.DoModal();
        QCOMPARE(dlg.Pupils().size(), 17);
        QCOMPARE(PdfPages(pdf), pages);
        const QString text = PdfPageTexts(pdf).join(u'\n');
        // Each card's password is the pupil's new one; the old is gone.
        for (const CPupil& pupil : dlg.Pupils()) {
            QVERIFY2(text.contains(pupil.strName), qPrintable(pupil.strName));
            QVERIFY2(IsSixDigits(pupil.strPassword) &&
                         text.contains(u"密码:%1"_s.arg(pupil.strPassword)),
                     qPrintable(pupil.strPassword));
            QVERIFY(m_pDatabase->Accepts(pupil.nKey, pupil.strPassword));
        }
        QCOMPARE(text.count(u"登录卡"_s), 17);
    }

    // A name of 99 characters is elided on its card; the class, the
    // number and the password stay on it.
    void loginCardKeepsEveryFieldOfALongName()
    {
        const QString name = QString(98, u'王') + u'x';
        m_pDatabase->Insert(u"user"_s, {name, ClassB, u"9001"_s, u"513724"_s, u"普通用户"_s});
        CScriptedPlatform platform;
        const QString pdf = QDir::current().filePath(u"long.pdf"_s);
        platform.AnswerFiles({pdf});
        platform.AnswerBoxes({IDYES});
        Drive<CLoginCardsDlg>(platform, [](CLoginCardsDlg* dlg) {
            dlg->Item<QRadioButton>(1003)->click();
            dlg->ClickButton(1010);
        });
        CLoginCardsDlg dlg(ClassB);
        dlg.DoModal();
        const QString text = PdfPageTexts(pdf).join(u'\n').remove(u' ');
        const QString password = dlg.Pupils().value(1).strName == name
                                     ? dlg.Pupils().value(1).strPassword
                                     : dlg.Pupils().value(0).strPassword;
        for (const QString& field : {u"班级:%1"_s.arg(ClassB), u"学号:9001"_s,
                                     u"密码:%1"_s.arg(password), u"姓名:王王王"_s})
            QVERIFY2(text.contains(field), qPrintable(field + u" in "_s + text.left(800)));
    }

    // The cards are cut apart along dashed lines, as the manual says: at
    // 72 dpi the line between the two columns of cards is dashes with gaps.
    void loginCardsHaveDashedCutLines()
    {
        const QString pdf = QDir::current().filePath(u"dashes.pdf"_s);
        CScriptedPlatform platform;
        platform.AnswerFiles({pdf});
        Drive<CLoginCardsDlg>(platform, [](CLoginCardsDlg* dlg) { dlg->ClickButton(1010); });
        CLoginCardsDlg dlg(ClassA);
        dlg.DoModal();
        QProcess raster;
        raster.start(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, u"-gray"_s,
                                     u"-singlefile"_s, pdf, QDir::current().filePath(u"dashes"_s)});
        QVERIFY(raster.waitForFinished(60000) && raster.exitCode() == 0);
        const QImage page(QDir::current().filePath(u"dashes.pgm"_s));
        QVERIFY(!page.isNull());
        // The darkest column near the middle is the cut line.
        const auto ink = [&page](int x, int y) { return qGray(page.pixel(x, y)) < 230; };
        int line = -1, most = 0;
        for (int x = page.width() / 2 - 10; x <= page.width() / 2 + 10; ++x) {
            int count = 0;
            for (int y = 0; y < page.height(); ++y)
                count += ink(x, y);
            if (count > most) {
                most = count;
                line = x;
            }
        }
        QVERIFY(line >= 0);
        int dashes = 0, shortestGap = page.height();
        int gap = 0;
        bool inDash = false;
        for (int y = 0; y < page.height(); ++y) {
            if (ink(line, y)) {
                if (!inDash && dashes > 0)
                    shortestGap = std::min(shortestGap, gap);
                dashes += !inDash;
                inDash = true;
                gap = 0;
            } else {
                inDash = false;
                ++gap;
            }
        }
        // An A4 page is about 270 mm high within its margins: some 50 dashes.
        QVERIFY2(dashes > 30, qPrintable(QString::number(dashes)));
        QVERIFY2(shortestGap >= 3, qPrintable(QString::number(shortestGap)));
    }

private:
    void StoreScore(qint64 user, const QString& name, const QString& number)
    {
        CAttempt attempt;
        attempt.nUserKey = user;
        attempt.nKind = 111;
        attempt.startedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
        attempt.endedAt = attempt.startedAt.addSecs(60);
        attempt.nElapsedMs = 60000;
        QVERIFY(AppendScoreWithAttempt(m_pDatabase->Admin(),
                                       {{0, CDaoFieldValue::FromText(name)},
                                        {1, CDaoFieldValue::FromText(number)},
                                        {9, CDaoFieldValue::FromInt16(90)}},
                                       &attempt));
    }

    std::unique_ptr<CTestDatabase> m_pDatabase;
    qint64 m_nFang = 0;
    qint64 m_nMing = 0;
    qint64 m_nNamesake = 0;
};

QE_TEST_MAIN(TestClassList)
#include "tst_classlist.moc"
