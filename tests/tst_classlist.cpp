#include "attempts/AttemptStore.h"
#include "classroom/ClassListDlg.h"
#include "classroom/ImportPreviewDlg.h"
#include "classroom/LoginCardPainter.h"
#include "classroom/LoginCardsDlg.h"
#include "classroom/PupilDlg.h"
#include "platform/ScriptedPlatform.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/TableReader.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringEncoder>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassA = u"三年级二班"_s;
const QString ClassB = u"五年级一班"_s;
const QString NameTaken = u"您输入的用户名已经有人使用,请更改!"_s;

// Each pupil's user row as "name|class|number|password", in key order.
QStringList Pupils(const CTestDatabase& db)
{
    QStringList pupils;
    for (const QStringList& row : db.Rows(u"user"_s))
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

bool IsSixDigits(const QString& text)
{
    return QRegularExpression(u"^\\d{6}$"_s).match(text).hasMatch();
}

QString WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// An .xlsx made by a real spreadsheet writer (openpyxl); numbers stay
// numbers, as a teacher's sheet holds them.
QString WriteXlsxWithOpenpyxl(const QString& name, const QList<QVariantList>& rows)
{
    QString script = u"import openpyxl,sys\nb=openpyxl.Workbook()\ns=b.active\ns.title='名单'\n"_s;
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (const QVariant& cell : row) {
            cells.append(cell.typeId() == QMetaType::Int ? cell.toString()
                                                         : u"'%1'"_s.arg(cell.toString()));
        }
        script += u"s.append([%1])\n"_s.arg(cells.join(u','));
    }
    const QString path = QDir::current().filePath(name);
    script += u"b.save(sys.argv[1])\n"_s;
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, script, path});
    return python.waitForFinished(60000) && python.exitCode() == 0 ? path : QString();
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
        QCOMPARE(added.mid(0, 3), (QStringList{u"张伟"_s, ClassA, u"005"_s}));
        const QString password = texts.value(2).second;
        if (password.isEmpty())
            QVERIFY2(IsSixDigits(added[3]), qPrintable(added[3]));
        else
            QCOMPARE(added[3], password);
        CompareBoxes(platform, {Box(u"已添加学生 张伟,密码:%1"_s.arg(added[3]), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
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
                 (QStringList{u"王小芳|三年级二班|004|pw"_s, u"李明|三年级二班|001|pw"_s,
                              u"王芳2|五年级一班|201|pw"_s}));
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
        const QString stored = Pupils(*m_pDatabase)[1].section(u'|', 3);
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, {Box(refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
            QCOMPARE(stored, u"pw"_s);
            return;
        }
        QVERIFY(typed ? stored == password.left(10) : IsSixDigits(stored));
        CompareBoxes(platform, {Box(u"李明 的新密码是:%1"_s.arg(stored), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
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
                 (QStringList{u"王芳|五年级一班|003|pw"_s, u"李明|五年级一班|001|pw"_s,
                              u"王芳2|五年级一班|201|pw"_s}));
    }

    void deleteAsksAndKeepsScoresUnlessTicked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("scoresToo");
        QTest::addColumn<QStringList>("pupils");
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<int>("attempts");
        const QStringList all{u"王芳|三年级二班|003|pw"_s, u"李明|三年级二班|001|pw"_s,
                              u"王芳2|五年级一班|201|pw"_s};
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

    void importAClassList_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("encoding");
        // 刘洋 twice in the file; 李明 already a pupil; a missing class, a
        // number of 11 digits, a password of 11 characters.
        const QList<QStringList> pupils{
            {u"刘洋"_s, ClassA, u"101"_s, u"ly2024"_s},
            {u"陈静"_s, ClassA, u"102"_s, {}},
            {u"刘洋"_s, ClassA, u"103"_s, {}},
            {u"李明"_s, ClassA, u"104"_s, {}},
            {u"赵磊"_s, {}, u"105"_s, {}},
            {u"孙丽"_s, ClassA, u"12345678901"_s, {}},
            {u"周杰"_s, ClassA, u"107"_s, u"12345678901"_s},
        };
        const auto csv = [&](const QString& header, QChar separator) {
            QStringList lines{header};
            for (const QStringList& row : pupils)
                lines.append(row.join(separator));
            return lines.join(u"\r\n"_s) + u"\r\n"_s;
        };
        QTest::newRow("UTF-8 with BOM, Chinese header")
            << WriteFile(u"名单.csv"_s,
                         "\xEF\xBB\xBF" + csv(u"姓名,班级,学号,密码"_s, u',').toUtf8())
            << u"UTF-8"_s;
        QStringEncoder gbk("GBK");
        QTest::newRow("GBK, English header, tab-separated")
            << WriteFile(u"gbk.csv"_s, gbk(csv(u"Name\tClass\tStudent No\tPassword"_s, u'\t')))
            << u"GBK"_s;
        QStringEncoder gbk2("GBK");
        // Without a header (a blank first line) the columns stand in order;
        // a class list saved by Excel on a Chinese Windows is GBK.
        QTest::newRow("GBK without a header")
            << WriteFile(u"nohead.csv"_s, gbk2(csv({}, u','))) << u"GBK"_s;
        QList<QVariantList> sheet{{u"学号"_s, u"姓名"_s, u"班级"_s, u"密码"_s}};
        for (const QStringList& row : pupils) {
            bool numeric = false;
            const int number = row[2].toInt(&numeric);
            sheet.append({numeric ? QVariant(number) : QVariant(row[2]), row[0], row[1], row[3]});
        }
        QTest::newRow("xlsx, columns in another order, numbers as numbers")
            << WriteXlsxWithOpenpyxl(u"名单.xlsx"_s, sheet) << u"xlsx"_s;
    }
    void importAClassList()
    {
        QFETCH(QString, path);
        QFETCH(QString, encoding);
        QVERIFY(!path.isEmpty());
        const QStringList before = Pupils(*m_pDatabase);
        for (const bool confirm : {false, true}) {
            CScriptedPlatform platform;
            platform.AnswerFiles({path});
            Listing preview;
            QString summary;
            Drive<CImportPreviewDlg>(platform, [&](CImportPreviewDlg* dlg) {
                preview = ListOf(dlg->m_listRows);
                summary = dlg->GetDlgItemText(1001);
                dlg->ClickButton(confirm ? 1 : 2);
            });
            QCOMPARE(ImportClassList(nullptr), confirm);
            QCOMPARE(platform.modalRuns, QStringList{u"CImportPreviewDlg"_s});
            QVERIFY2(summary.contains(u"(%1)"_s.arg(encoding)), qPrintable(summary));
            QVERIFY2(summary.contains(u"将添加 2 名学生,拒绝 5 行"_s), qPrintable(summary));
            QCOMPARE(preview.cells.size(), 7);
            QStringList results;
            for (const QStringList& row : std::as_const(preview.cells))
                results.append(row[5]);
            QCOMPARE(results,
                     (QStringList{u"将添加"_s, u"将添加(随机密码)"_s, u"拒绝:与文件第 2 行重名"_s,
                                  u"拒绝:数据库中已有同名学生"_s, u"拒绝:班级不能为空"_s,
                                  u"拒绝:学号最多10位"_s, u"拒绝:密码最多10位"_s}));
            const QStringList after = Pupils(*m_pDatabase);
            if (!confirm) {
                QVERIFY(platform.boxes.isEmpty());
                QCOMPARE(after, before);
                continue;
            }
            CompareBoxes(platform,
                         {Box(u"已导入 2 名学生。"_s, u"提示"_s, MB_OK | MB_ICONINFORMATION)});
            QCOMPARE(after.mid(0, before.size()), before);
            QCOMPARE(after.size(), before.size() + 2);
            QCOMPARE(after[before.size()], u"刘洋|三年级二班|101|ly2024"_s);
            const QStringList chen = after[before.size() + 1].split(u'|');
            QCOMPARE(chen.mid(0, 3), (QStringList{u"陈静"_s, ClassA, u"102"_s}));
            QVERIFY(IsSixDigits(chen[3]));
            // The password the preview showed is the one stored.
            QCOMPARE(preview.cells[1][4], chen[3]);
        }
    }

    // A name registered elsewhere between the preview and OK: nothing is
    // added, the teacher is told which name, and the preview stays open.
    void nameTakenAfterThePreviewAddsNobody()
    {
        const QString path =
            WriteFile(u"late.csv"_s,
                      u"姓名,班级,学号\r\n王五,%1,201\r\n赵六,%1,202\r\n"_s.arg(ClassA).toUtf8());
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        QStringList before;
        Drive<CImportPreviewDlg>(platform, [&](CImportPreviewDlg* dlg) {
            m_pDatabase->Insert(u"user"_s, {u"赵六"_s, u"三年级一班"_s, u"301"_s, u"1"_s});
            before = Pupils(*m_pDatabase);
            dlg->ClickButton(1);
            QVERIFY(dlg->isVisible());
            dlg->ClickButton(2);
        });
        QVERIFY(!ImportClassList(nullptr));
        QCOMPARE(Pupils(*m_pDatabase), before);
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.contains(u"“赵六”"_s), qPrintable(platform.boxes[0].text));
    }

    void brokenFilesWriteNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a zip, named .xlsx")
            << WriteFile(u"坏.xlsx"_s, "this is not a spreadsheet")
            << u"不是有效的 Excel 文件(.xlsx)"_s;
        QByteArray truncated;
        {
            const QString whole = WriteXlsxWithOpenpyxl(u"whole.xlsx"_s, {{u"姓名"_s}});
            QFile file(whole);
            if (file.open(QIODevice::ReadOnly))
                truncated = file.readAll();
            truncated.chop(truncated.size() / 2);
        }
        QTest::newRow("a truncated xlsx")
            << WriteFile(u"cut.xlsx"_s, truncated) << u"不是有效的 Excel 文件(.xlsx)"_s;
        QTest::newRow("an empty file") << WriteFile(u"empty.csv"_s, {}) << u"文件中没有学生"_s;
        QTest::newRow("binary bytes")
            << WriteFile(u"bin.csv"_s, QByteArray("ab\0\x01\xff", 5)) << u"不是文本文件(.csv)"_s;
        QTest::newRow("neither UTF-8 nor GBK")
            << WriteFile(u"odd.csv"_s, "\xff\xff\xff,\x80\x80\r\n")
            << u"无法识别文件的编码(应为 UTF-8 或 GBK)"_s;
        QTest::newRow("a header without the number")
            << WriteFile(u"nonum.csv"_s, u"姓名,班级\n张三,一班\n"_s.toUtf8())
            << u"标题行中找不到这些列:学号"_s;
    }
    void brokenFilesWriteNothing()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QVERIFY(!path.isEmpty());
        const QStringList before = Pupils(*m_pDatabase);
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        QVERIFY(!ImportClassList(nullptr));
        QVERIFY(platform.modalRuns.isEmpty());
        CompareBoxes(
            platform,
            {Box(u"无法导入“%1”:%2。\n没有写入任何内容。"_s.arg(QFileInfo(path).fileName(), reason),
                 u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(Pupils(*m_pDatabase), before);
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
        Drive<CLoginCardsDlg>(platform, [&](CLoginCardsDlg* dlg) {
            dlg->Item<QRadioButton>(ten ? 1003 : 1002)->click();
            dlg->ClickButton(1010);
        });
        CLoginCardsDlg dlg(ClassA);
        dlg.DoModal();
        QCOMPARE(dlg.Pupils().size(), 17);
        QCOMPARE(PdfPages(pdf), pages);
        const QString text = PdfPageTexts(pdf).join(u'\n');
        for (const CPupil& pupil : dlg.Pupils()) {
            QVERIFY2(text.contains(pupil.strName), qPrintable(pupil.strName));
            QVERIFY2(text.contains(u"密码:%1"_s.arg(pupil.strPassword)),
                     qPrintable(pupil.strPassword));
        }
        QCOMPARE(text.count(u"登录卡"_s), 17);
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
