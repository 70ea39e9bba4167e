#include "attempts/AttemptStore.h"
#include "classroom/ClassListDlg.h"
#include "classroom/ClassroomCommands.h"
#include "classroom/ImportPreviewDlg.h"
#include "classroom/ImportReadDlg.h"
#include "classroom/LoginCardPainter.h"
#include "classroom/LoginCardsDlg.h"
#include "classroom/PupilDlg.h"
#include "platform/ListCtrl.h"
#include "platform/ProgressCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/HostileFiles.h"
#include "tests/LoginFixture.h"
#include "tests/SettleWorker.h"
#include "tests/TableReader.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/NewUserDlg.h"
#include "users/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringEncoder>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassA = u"三年级二班"_s;
const QString ClassB = u"五年级一班"_s;

// Each pupil as "name|class|number|", in key order: no password can be read back.
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
    const QString sql = u"SELECT qe_key FROM \"user\" WHERE name = '%1'"_s.arg(name);
    return SelectRows(db.Admin(), sql).value(0).toLongLong();
}

// A password the program chose: eight digits and small letters, none of
// them a look-alike (0, 1, i, l, o).
bool IsCardPassword(const QString& text)
{
    return QRegularExpression(u"^[2-9a-hjkmnp-z]{8}$"_s).match(text).hasMatch();
}

QString WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// An .xlsx made by a real spreadsheet writer (openpyxl); numbers stay
// numbers, as a teacher's sheet holds them.
// rows written by openpyxl, then more, a script of openpyxl's on the sheet s.
QString WriteXlsxWithOpenpyxl(const QString& name, const QList<QVariantList>& rows,
                              const QString& more = {})
{
    QString script = u"import openpyxl,sys\nb=openpyxl.Workbook()\ns=b.active\ns.title='名单'\n"_s;
    for (const QVariantList& row : rows) {
        QStringList cells;
        for (const QVariant& cell : row)
            cells.append(cell.typeId() == QMetaType::Int ? cell.toString()
                                                         : u"'%1'"_s.arg(cell.toString()));
        script += u"s.append([%1])\n"_s.arg(cells.join(u','));
    }
    const QString path = QDir::current().filePath(name);
    script += more + u"b.save(sys.argv[1])\n"_s;
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, script, path});
    return python.waitForFinished(60000) && python.exitCode() == 0 ? path : QString();
}

// The reading dialog left to end by itself once the file is read.
void ReadThrough(CScriptedPlatform& platform)
{
    platform.DriveDialog([](QDialog* dialog) {
        // The names taken come first, from the session's worker.
        SettleWorker();
        static_cast<CImportReadDlg*>(dialog)->WaitForReading();
    });
}

// The class list opened; step sees it.
template <class Step> void OnClassList(CScriptedPlatform& platform, Step step)
{
    Drive<CClassListDlg>(platform, step);
    CClassListDlg dlg(CSession::Instance());
    dlg.DoModal();
}

// The class list opened, pupils chosen and button clicked; step sees the
// dialog the button opens.
template <class Dlg, class Step>
void OnPupils(CScriptedPlatform& platform, const QList<qint64>& pupils, int button, Step step)
{
    OnClassList(platform, [&](CClassListDlg* dlg) {
        dlg->SelectPupils(pupils);
        Drive<Dlg>(platform, step);
        dlg->ClickButton(button);
    });
}

// The file at path chosen, read and previewed (step sees the preview);
// true when it was imported.
template <class Step> bool Import(CScriptedPlatform& platform, const QString& path, Step step)
{
    platform.AnswerFiles({path});
    ReadThrough(platform);
    Drive<CImportPreviewDlg>(platform, step);
    return ImportClassList(CSession::Instance(), nullptr);
}

// A preview's rows as "line|result".
QStringList Results(const Listing& preview)
{
    QStringList results;
    for (const QStringList& row : preview.cells)
        results.append(row[0] + u'|' + row[5]);
    return results;
}

} // namespace

// The teacher's class lists: pupils added, edited, moved and deleted,
// their passwords and login cards, and class lists imported from files
// (read off the interface thread, every row checked, files made to hurt).
class TestClassroom : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    void init()
    {
        CDatabaseSuite::init();
        LogInTeacher(*m_pDatabase);
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

    // On a lab's server pupils register themselves only while a teacher
    // allows it (教学 → 班级 → 允许学生自己注册, checked while it is allowed), and
    // only into a class a teacher made; 实验室电脑 lists the machines' lines.
    void registrationIsTheTeachers()
    {
        if (!m_pDatabase->IsPostgres())
            QSKIP("a file's registration is the described one, always open");
        CScriptedPlatform platform;
        CClassroomCommands commands(CSession::Instance());
        // The check mark follows the worker's answer.
        const auto checked = [&commands] {
            CCmdUI state(ID_TEACHING_REGISTRATION);
            commands.OnUpdateCmdUI(state);
            SettleWorker();
            commands.OnUpdateCmdUI(state);
            return state.m_bChecked;
        };
        const auto registering = [&](const QString& name, const QString& className) {
            m_pDatabase->SignOut();
            platform.DriveDialog(FillAndOk(Edits(NewUserIds, {name, className, u"42"_s, u"pw"_s})));
            OpenNewUserDialog();
            LogInTeacher(*m_pDatabase);
            return platform.boxes.isEmpty() ? QString() : platform.boxes.takeLast().text;
        };
        // 允许学生自己注册 chosen and confirmed; whether it is checked then.
        const auto toggle = [&] {
            platform.AnswerBoxes({IDOK});
            commands.OnCmdMsg(ID_TEACHING_REGISTRATION);
            SettleWorker();
            if (platform.boxes.size() != 1)
                return !checked(); // no word of the change fails either check
            platform.boxes.clear();
            return checked();
        };
        QVERIFY(!checked());
        QCOMPARE(registering(u"新生"_s, ClassA),
                 u"这个实验室的数据库不允许学生自己注册,请老师在“学生名单”中添加你的帐户。"_s);
        QVERIFY(toggle());
        QCOMPARE(registering(u"新生"_s, ClassA), QString());
        QVERIFY(!toggle());
        QVERIFY(!registering(u"又一个"_s, ClassA).isEmpty());
        QCOMPARE(Pupils(*m_pDatabase).size(), 4);
        // 实验室电脑: the machines' lines, and whether this one is encrypted.
        commands.OnCmdMsg(ID_TEACHING_LAB_LINES);
        SettleWorker();
        QCOMPARE(platform.boxes.size(), 1);
        const QString text = platform.boxes.takeLast().text;
        const bool bTls =
            qEnvironmentVariable("QE_TEST_POSTGRES").contains("sslmode=verify-full"_L1);
        QVERIFY2(text.contains(QRegularExpression(u"\\npc01  [-0-9: ]+发放  现在0个连接\\n"_s)) &&
                     text.contains(bTls ? u"已加密(TLS)"_s : u"没有加密"_s),
                 qPrintable(text));
    }

    void addKeepsTheAccountRules_data()
    {
        QTest::addColumn<EditTexts>("texts");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("refusal");
        // A pupil's name, number, password and class, and the refusal.
        const auto row = [](const char* name, const QString& pupil, const QString& no,
                            const QString& password, const QString& cls, const QString& refusal) {
            QTest::newRow(name) << EditTexts{{1001, pupil}, {1003, no}, {1004, password}} << cls
                                << refusal;
        };
        row("a name another pupil has", u"王芳2"_s, u"005"_s, u"abc"_s, ClassA, NameTaken);
        row("an empty name", {}, u"005"_s, u"abc"_s, ClassA, u"用户姓名不能为空,请输入!"_s);
        row("an empty number", u"张伟"_s, {}, u"abc"_s, ClassA, u"学号不能为空,请输入!"_s);
        row("an empty class", u"张伟"_s, u"005"_s, u"abc"_s, {}, u"班级不能为空,请输入!"_s);
        row("typed password", u"张伟"_s, u"005"_s, u"abc"_s, ClassA, {});
        row("random password", u"张伟"_s, u"005"_s, {}, ClassA, {});
    }
    void addKeepsTheAccountRules()
    {
        QFETCH(EditTexts, texts);
        QFETCH(QString, className);
        QFETCH(QString, refusal);
        CScriptedPlatform platform;
        QString presetClass;
        const QStringList before = Pupils(*m_pDatabase);
        OnPupils<CPupilDlg>(platform, {}, 1010, [&](CPupilDlg* add) {
            presetClass = add->Item<QComboBox>(1002)->currentText();
            Fill(add, texts);
            add->Item<QComboBox>(1002)->setEditText(className);
            add->ClickButton(1);
        });
        // The class shown in the list is the new pupil's class at first.
        QCOMPARE(presetClass, ClassA);
        const QStringList after = Pupils(*m_pDatabase);
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, ErrorBox(refusal));
            QCOMPARE(after, before);
            return;
        }
        QCOMPARE(after, before + QStringList{u"张伟|三年级二班|005|"_s});
        // The password is told once, as it is set, and is the account's.
        const QString shown = platform.boxes[0].text.section(u"密码:"_s, 1);
        const QString password = texts.value(2).second;
        QVERIFY2(password.isEmpty() ? IsCardPassword(shown) : shown == password, qPrintable(shown));
        CompareBoxes(platform, {Box(u"已添加学生 张伟,密码:%1"_s.arg(shown), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
        QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"张伟"_s), shown));
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
        QString who;
        QStringList selectedAfterPointing;
        OnClassList(platform, [&](CClassListDlg* dlg) {
            // A click chooses 李明; passing over another on the way to the
            // button chooses nobody else.
            CListCtrl* list = dlg->m_listPupils;
            const QRect second = list->visualRect(list->model()->index(1, 1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
            QTest::mouseMove(list->viewport(), second.center());
            QTest::mouseMove(list->viewport(), second.center() + QPoint(3, 1));
            for (const QModelIndex& row : list->selectionModel()->selectedRows())
                selectedAfterPointing.append(list->GetItemText(row.row(), 0));
            Drive<CDialog>(platform, [&](CDialog* reset) {
                who = reset->GetDlgItemText(1004);
                if (typed) {
                    reset->Item<QRadioButton>(1002)->click();
                    Fill(reset, {{1003, password}});
                }
                reset->ClickButton(1);
            });
            dlg->ClickButton(1012);
        });
        QCOMPARE(selectedAfterPointing, QStringList{u"李明"_s});
        QCOMPARE(who, u"学生:李明(学号 001)"_s);
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, ErrorBox(refusal));
            QVERIFY(m_pDatabase->Accepts(m_nMing, u"pw"_s));
            return;
        }
        // Told once, as it is set; the old one no longer opens the account.
        const QString shown = platform.boxes[0].text.section(u"新密码是:"_s, 1);
        QVERIFY(typed ? shown == password.left(10) : IsCardPassword(shown));
        CompareBoxes(platform, {Box(u"李明 的新密码是:%1"_s.arg(shown), u"提示"_s,
                                    MB_OK | MB_ICONINFORMATION)});
        QVERIFY(m_pDatabase->Accepts(m_nMing, shown));
        QVERIFY(!m_pDatabase->Accepts(m_nMing, u"pw"_s));
        QCOMPARE(Pupils(*m_pDatabase)[1], u"李明|三年级二班|001|"_s);
    }

    // Two pupils moved to another class, which the list then shows; a
    // class of odd characters is refused and nobody moves. A class of one,
    // often a class name mistyped at registration, stands out in the list
    // of classes and says how to merge it.
    void moveTwoPupils_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("to another class") << ClassB << QString();
        QTest::newRow("a line feed") << u"三年级\n二班"_s << u"班级名称中有换行符,请重新输入!"_s;
    }
    void moveTwoPupils()
    {
        QFETCH(QString, className);
        QFETCH(QString, refusal);
        CScriptedPlatform platform;
        const QStringList before = Pupils(*m_pDatabase);
        QStringList listedAfter, classesBefore, classesAfter;
        QString count;
        OnClassList(platform, [&](CClassListDlg* dlg) {
            classesBefore = Items(dlg->m_comboClass);
            ChooseAndWait(dlg, 1001, dlg->m_comboClass->findData(ClassB));
            count = dlg->GetDlgItemText(1003);
            ChooseAndWait(dlg, 1001, dlg->m_comboClass->findData(ClassA));
            dlg->SelectPupils({m_nFang, m_nMing});
            Drive<CDialog>(platform, [&](CDialog* move) {
                move->Item<QComboBox>(1001)->setEditText(className);
                move->ClickButton(1);
            });
            ClickAndWait(dlg, 1013);
            for (const CPupil& pupil : dlg->Pupils())
                listedAfter.append(pupil.strName);
            classesAfter = Items(dlg->m_comboClass);
        });
        QCOMPARE(classesBefore, (QStringList{u"三年级二班(2 人)"_s, u"五年级一班(只有 1 人)"_s}));
        QVERIFY2(count.contains(u"只有 1 名学生"_s) && count.contains(u"调班"_s),
                 qPrintable(count));
        if (!refusal.isEmpty()) {
            CompareBoxes(platform, ErrorBox(refusal));
            QCOMPARE(Pupils(*m_pDatabase), before);
            return;
        }
        QCOMPARE(listedAfter, (QStringList{u"李明"_s, u"王芳"_s, u"王芳2"_s}));
        QCOMPARE(classesAfter, QStringList{u"五年级一班(3 人)"_s});
        QCOMPARE(Pupils(*m_pDatabase),
                 (QStringList{u"王芳|五年级一班|003|"_s, u"李明|五年级一班|001|"_s,
                              u"王芳2|五年级一班|201|"_s}));
    }

    // A rename takes the pupil's own score rows along; another pupil's
    // name is refused. Deleting the pupil then asks first, and takes the
    // score rows along only when that is ticked.
    void editThenDeleteKeepsScoresUnlessTicked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("scoresToo");
        QTest::addColumn<QStringList>("pupils");
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<int>("attempts");
        const QStringList all{u"王小芳|三年级二班|004|"_s, u"李明|三年级二班|001|"_s,
                              u"王芳2|五年级一班|201|"_s};
        const QStringList allScores{u"王小芳|004"_s, u"王小芳|004"_s, u"王芳2|201"_s};
        QTest::newRow("No deletes nothing") << int(IDCANCEL) << true << all << allScores << 3;
        QTest::newRow("the scores stay") << int(IDOK) << false << all.mid(1) << allScores << 3;
        QTest::newRow("the scores go too")
            << int(IDOK) << true << all.mid(1) << QStringList{u"王芳2|201"_s} << 1;
    }
    void editThenDeleteKeepsScoresUnlessTicked()
    {
        QFETCH(int, answer);
        QFETCH(bool, scoresToo);
        QFETCH(QStringList, pupils);
        QFETCH(QStringList, scores);
        QFETCH(int, attempts);
        CScriptedPlatform platform;
        OnPupils<CPupilDlg>(platform, {m_nFang}, 1011, [](CPupilDlg* edit) {
            QVERIFY(!edit->GetDlgItem(1004)->isVisible());
            Fill(edit, {{1001, u"李明"_s}});
            if (!Press(edit, 1))
                return;
            Fill(edit, {{1001, u"王小芳"_s}, {1003, u"004"_s}});
            edit->ClickButton(1);
        });
        CompareBoxes(platform, ErrorBox(NameTaken));
        QVERIFY(m_pDatabase->Accepts(m_nFang, u"pw"_s));
        bool bTickedAtFirst = true;
        OnPupils<CDialog>(platform, {m_nFang}, 1014, [&](CDialog* ask) {
            bTickedAtFirst = ask->Item<QCheckBox>(1002)->isChecked();
            ask->Item<QCheckBox>(1002)->setChecked(scoresToo);
            ask->ClickButton(answer);
        });
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
    // A name of 99 characters is elided on its card; the class, the number
    // and the password stay on it.
    void loginCardsPerPage()
    {
        QFETCH(bool, ten);
        QFETCH(int, pages);
        const QString name = QString(98, u'王') + u'x';
        m_pDatabase->Insert(u"user"_s, {name, ClassA, u"9001"_s, u"513724"_s, u"普通用户"_s});
        // 子, 黄 and 户 share their glyphs with radicals (⼦ ⻩ ⼾): the text
        // reads back as the names.
        const QStringList names{u"张子涵"_s, u"黄小户"_s};
        for (int i = 0; i < 15; ++i)
            m_pDatabase->Insert(u"user"_s, {names.value(i, u"学生%1"_s.arg(i)), ClassA,
                                            u"3%1"_s.arg(i, 2, 10, QChar(u'0')),
                                            u"%1"_s.arg(480000 + i * 7), u"普通用户"_s});
        CScriptedPlatform platform;
        const QString pdf = QDir::current().filePath(u"cards.pdf"_s);
        platform.AnswerFiles({pdf});
        platform.AnswerBoxes({IDYES}); // new passwords for the cards
        Drive<CLoginCardsDlg>(platform, [&](CLoginCardsDlg* dlg) {
            dlg->Item<QRadioButton>(ten ? 1003 : 1002)->click();
            dlg->ClickButton(1010);
        });
        CLoginCardsDlg dlg(CSession::Instance(), ClassA);
        dlg.DoModal();
        QCOMPARE(dlg.Pupils().size(), 18);
        QCOMPARE(PdfPages(pdf), pages);
        const QString text = PdfPageTexts(pdf).join(u'\n');
        const QString squeezed = QString(text).remove(u' ');
        for (const QString& shown : names)
            QVERIFY2(text.contains(shown), qPrintable(shown));
        // Each card's password is the pupil's new one; the old is gone.
        for (const CPupil& pupil : dlg.Pupils()) {
            const QString shown = pupil.strName == name ? u"姓名:王王王"_s : pupil.strName;
            QVERIFY2(squeezed.contains(shown), qPrintable(shown));
            QVERIFY2(IsCardPassword(pupil.strPassword) &&
                         text.contains(u"密码:%1"_s.arg(pupil.strPassword)),
                     qPrintable(pupil.strPassword));
            QVERIFY(m_pDatabase->Accepts(pupil.nKey, pupil.strPassword));
        }
        QCOMPARE(text.count(u"登录卡"_s), 18);
        QVERIFY(squeezed.contains(u"学号:9001"_s));
        if (ten)
            return;
        // The cards are cut apart along dashed lines, as the manual says: at
        // 72 dpi the line between the two columns of cards is dashes with gaps.
        QProcess raster;
        raster.start(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, u"-gray"_s,
                                     u"-singlefile"_s, pdf, QDir::current().filePath(u"dashes"_s)});
        QVERIFY(raster.waitForFinished(60000) && raster.exitCode() == 0);
        const QImage page(QDir::current().filePath(u"dashes.pgm"_s));
        QVERIFY(!page.isNull());
        // The darkest column near the middle is the cut line: '#' where it has ink.
        QString column;
        for (int x = page.width() / 2 - 10; x <= page.width() / 2 + 10; ++x) {
            QString ink;
            for (int y = 0; y < page.height(); ++y)
                ink += qGray(page.pixel(x, y)) < 230 ? u'#' : u'.';
            if (ink.count(u'#') > column.count(u'#'))
                column = ink;
        }
        // An A4 page is about 270 mm high within its margins: some 50 dashes,
        // no two of them closer than 3 pixels.
        QVERIFY2(column.split(u'.', Qt::SkipEmptyParts).size() > 30, qPrintable(column));
        QVERIFY2(!column.contains(QRegularExpression(u"#\\.{1,2}#"_s)), qPrintable(column));
    }

    void importAClassList_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("columns"); // the file's columns of class, number, password
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
            << u"UTF-8"_s << u"BCD"_s;
        QStringEncoder gbk("GBK");
        QTest::newRow("GBK, English header, tab-separated")
            << WriteFile(u"gbk.csv"_s, gbk(csv(u"Name\tClass\tStudent No\tPassword"_s, u'\t')))
            << u"GBK"_s << u"BCD"_s;
        // Without a header (a blank first line) the columns stand in order;
        // a class list saved by Excel on a Chinese Windows is GBK.
        QTest::newRow("GBK without a header")
            << WriteFile(u"nohead.csv"_s, gbk(csv({}, u','))) << u"GBK"_s << u"BCD"_s;
        QList<QVariantList> sheet{{u"学号"_s, u"姓名"_s, u"班级"_s, u"密码"_s}};
        for (const QStringList& row : pupils) {
            bool numeric = false;
            const int number = row[2].toInt(&numeric);
            sheet.append({numeric ? QVariant(number) : QVariant(row[2]), row[0], row[1], row[3]});
        }
        QTest::newRow("xlsx, columns in another order, numbers as numbers")
            << WriteXlsxWithOpenpyxl(u"名单.xlsx"_s, sheet) << u"xlsx"_s << u"CAD"_s;
    }
    void importAClassList()
    {
        QFETCH(QString, path);
        QFETCH(QString, encoding);
        QFETCH(QString, columns);
        QVERIFY(!path.isEmpty());
        const QStringList before = Pupils(*m_pDatabase);
        for (const bool confirm : {false, true}) {
            CScriptedPlatform platform;
            Listing preview;
            QString summary;
            QCOMPARE(Import(platform, path,
                            [&](CImportPreviewDlg* dlg) {
                                preview = ListOf(dlg->m_listRows);
                                summary = dlg->GetDlgItemText(1001);
                                Press(dlg, confirm ? 1 : 2);
                            }),
                     confirm);
            QVERIFY2(summary.contains(u"(%1)"_s.arg(encoding)), qPrintable(summary));
            QVERIFY2(summary.contains(u"将添加 2 名学生,拒绝 5 行"_s), qPrintable(summary));
            QCOMPARE(
                Results(preview),
                (QStringList{u"2|将添加"_s, u"3|将添加(随机密码)"_s, u"4|拒绝:与文件第 2 行重名"_s,
                             u"5|拒绝:数据库中已有同名学生"_s,
                             u"6|拒绝:班级不能为空(第 %1 列)"_s.arg(columns[0]),
                             u"7|拒绝:学号最多10位(第 %1 列:“12345678901”)"_s.arg(columns[1]),
                             u"8|拒绝:密码最多10位(第 %1 列:“12345678901”)"_s.arg(columns[2])}));
            const QStringList after = Pupils(*m_pDatabase);
            if (!confirm) {
                QVERIFY(platform.boxes.isEmpty());
                QCOMPARE(after, before);
                continue;
            }
            CompareBoxes(platform,
                         {Box(ImportedQuestion(2), u"提示"_s, MB_YESNO | MB_ICONQUESTION)});
            // The cards of the pupils just imported carry their passwords.
            QCOMPARE(platform.modalRuns.last(), u"CLoginCardsDlg"_s);
            const QStringList added{u"刘洋|三年级二班|101|"_s, u"陈静|三年级二班|102|"_s};
            QCOMPARE(after, before + added);
            QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"刘洋"_s), u"ly2024"_s));
            // The password the preview showed is the one the account takes.
            QVERIFY(IsCardPassword(preview.cells[1][4]));
            QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"陈静"_s), preview.cells[1][4]));
        }
    }

    // 名单模板: the sheet saved reads back in openpyxl with its heading under
    // a title, and once a teacher filled it in, it imports. So does a sheet
    // as teachers keep it: a merged title, a blank row, a heading of 序号,
    // 学号, 姓名, 性别 and 班级, then the class: every pupil comes in, the
    // columns found by their heading.
    void sheetsImport()
    {
        const QString path = QDir::current().filePath(u"学生名单模板.xlsx"_s);
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        OnClassList(platform, [](CClassListDlg* dlg) { dlg->ClickButton(1017); });
        const QJsonArray rows = ReadTable(path)[u"sheets"_s].toArray().at(0)[u"rows"_s].toArray();
        QCOMPARE(rows.size(), 2);
        QStringList heading;
        for (const QJsonValue& cell : rows.at(1).toArray())
            heading.append(cell.toArray().at(1).toString());
        QCOMPARE(heading, (QStringList{u"学号"_s, u"姓名"_s, u"班级"_s, u"密码"_s}));

        QProcess fill;
        fill.start(u"/usr/bin/python3"_s,
                   {u"-c"_s,
                    u"import openpyxl,sys\nb=openpyxl.load_workbook(sys.argv[1])\ns=b.active\n"
                    "s.append(['301','刘洋','%1',''])\ns.append(['302','吴娜','%1','wn2024'])\n"
                    "b.save(sys.argv[1])\n"_s.arg(ClassA),
                    path});
        QVERIFY(fill.waitForFinished(60000) && fill.exitCode() == 0);
        QString summary;
        const auto confirm = [&summary](CImportPreviewDlg* dlg) {
            summary = dlg->GetDlgItemText(1001);
            Press(dlg, 1);
        };
        QVERIFY(Import(platform, path, confirm));
        QVERIFY2(summary.contains(u"将添加 2 名学生,拒绝 0 行"_s), qPrintable(summary));
        QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"吴娜"_s), u"wn2024"_s));

        QList<QVariantList> sheet{{ClassA + u"学生名单"_s}, {}, {}};
        for (const QString& column : {u"序号"_s, u"学号"_s, u"姓名"_s, u"性别"_s, u"班级"_s})
            sheet[2].append(column);
        QStringList expected;
        for (int i = 0; i < 32; ++i) {
            const QString name = QString(u"张赵刘陈"_s[i % 4]) + u"伟芳静磊敏强丽军"_s[i / 4];
            sheet.append({i + 1, 2024101 + i, name, i % 2 ? u"女"_s : u"男"_s, ClassA});
            expected.append(u"%1|%2|%3|"_s.arg(name, ClassA).arg(2024101 + i));
        }
        const QString teachers =
            WriteXlsxWithOpenpyxl(u"三年级二班.xlsx"_s, sheet, u"s.merge_cells('A1:E1')\n"_s);
        QVERIFY(!teachers.isEmpty());
        const qsizetype before = Pupils(*m_pDatabase).size();
        QVERIFY(Import(platform, teachers, confirm));
        QVERIFY2(summary.contains(u"将添加 32 名学生,拒绝 0 行"_s), qPrintable(summary));
        QStringList added = Pupils(*m_pDatabase).mid(before);
        added.sort();
        expected.sort();
        QCOMPARE(added, expected);
    }

    // The chooser names the columns; the preview shows every line number
    // whole, also those of two digits and more. A name registered elsewhere
    // between the preview and OK: nothing is added, the teacher is told
    // which name, and the preview stays open.
    void importShowsWhatAClassListHolds()
    {
        // All but the last two are refused, without a number: few to store.
        QStringList lines{u"姓名,班级,学号"_s};
        for (int i = 0; i < 120; ++i)
            lines.append(
                u"学生%1,%2,%3"_s.arg(i).arg(ClassA, i < 118 ? QString() : u"5%1"_s.arg(i)));
        const QString path = WriteFile(u"长名单.csv"_s, lines.join(u"\r\n"_s).toUtf8());
        CScriptedPlatform platform;
        int needed = 0;
        int width = 0;
        QStringList before;
        bool bStillOpen = false;
        QVERIFY(!Import(platform, path, [&](CImportPreviewDlg* dlg) {
            // The list measures the rows in view: the last ones, of three digits.
            CListCtrl* list = dlg->m_listRows;
            list->scrollToBottom();
            needed = static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0);
            width = list->GetColumnWidth(0);
            m_pDatabase->Insert(u"user"_s, {u"学生119"_s, u"三年级一班"_s, u"301"_s, u"1"_s});
            before = Pupils(*m_pDatabase);
            bStillOpen = Press(dlg, 1);
        }));
        QVERIFY2(needed > 0 && width >= needed, qPrintable(u"%1 < %2"_s.arg(width).arg(needed)));
        const QString chooser = platform.fileChoosers.value(0) + platform.fileFilters.value(0);
        for (const QString& column : {u"姓名"_s, u"班级"_s, u"学号"_s, u"密码"_s})
            QVERIFY2(chooser.contains(column), qPrintable(chooser));
        QVERIFY(bStillOpen);
        QCOMPARE(Pupils(*m_pDatabase), before);
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.contains(u"“学生119”"_s),
                 qPrintable(platform.boxes[0].text));
    }

    // Each file refused with its reason (none: the reading cancelled), or
    // its rows in the preview with theirs; nothing written.
    void refusedFilesAndRowsWriteNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("results"); // of the rows previewed, "line|result"
        const auto row = [](const char* name, const QString& file, const QByteArray& bytes,
                            const QString& reason) {
            QTest::newRow(name) << WriteFile(file, bytes) << reason << QStringList();
        };
        const QString notXlsx = u"不是有效的 Excel 文件(.xlsx)"_s;
        row("not a zip, named .xlsx", u"坏.xlsx"_s, "this is not a spreadsheet", notXlsx);
        const QByteArray whole = HostileFiles::SevenLetterColumn();
        row("a truncated xlsx", u"cut.xlsx"_s, whole.first(whole.size() / 2), notXlsx);
        row("an empty file", u"empty.csv"_s, {}, u"文件中没有学生"_s);
        row("binary bytes", u"bin.csv"_s, QByteArray("ab\0\x01\xff", 5), u"不是文本文件(.csv)"_s);
        row("neither UTF-8 nor GBK", u"odd.csv"_s, "\xff\xff\xff,\x80\x80\r\n",
            u"无法识别文件的编码(应为 UTF-8 或 GBK)"_s);
        row("a header without the number", u"nonum.csv"_s, u"姓名,班级\n张三,一班\n"_s.toUtf8(),
            u"标题行中找不到这些列:学号"_s);
        // Files that once froze the window for many seconds, took gigabytes
        // or overflowed the column arithmetic: each is refused, with its
        // reason, before it costs the window anything (bench_import.cpp
        // measures that).
        row("99,999 rows of one cell in column ALM", u"wide.xlsx"_s, HostileFiles::WideSheet(),
            u"文件中的学生太多(超过 20000 名)"_s);
        row("shared strings that inflate to 60 MB", u"strings.xlsx"_s,
            HostileFiles::InflatingStrings(), u"文件解压后太大(xl/sharedStrings.xml 超过 32 MB)"_s);
        row("a cell reference of seven letters (fuzzing)", u"seven.xlsx"_s, whole,
            u"单元格位置“ZZZZZZZ1”超出了工作表的范围(最后一列是 XFD)"_s);
        row("five names of 700,000 characters", u"names.csv"_s, HostileFiles::LongNamesCsv(),
            u"第 2 行的第 1 个字段太长(超过 2000 个字符)"_s);
        QString swallowed = u"姓名,班级,学号\n张三,\"三年级二班,101\n"_s;
        for (int i = 0; i < 3000; ++i)
            swallowed += u"学生%1,三年级二班,%1\n"_s.arg(i);
        row("a quote that swallows the rest of the file", u"quote.csv"_s, swallowed.toUtf8(),
            u"第 2 行的引号到第 141 行还没有闭合"_s); // where it passes 2,000 characters
        // Cancel while the file is read: no preview, no message.
        row("cancelled while read", u"wide.xlsx"_s, HostileFiles::WideSheet(), {});
        // Rows refused with their reason: characters that show as something
        // else or as nothing, and a quote that runs on over the next pupils.
        const auto rows = [](const char* name, const QString& csv, const QStringList& results) {
            const QString file = QString::fromUtf8(name) + u".csv"_s;
            QTest::newRow(name) << WriteFile(file, (u"姓名,班级,学号\n"_s + csv).toUtf8())
                                << QString() << results;
        };
        rows("a line break in a class", u"刘洋,\"三年级\n二班\",101\n"_s,
             {u"2–3|拒绝:第 2 行的引号到第 3 行才闭合;班级名称中有换行符(第 B 列)"_s});
        rows("a tab in a name", u"刘\t洋,一班,101\n"_s, {u"2|拒绝:用户姓名中有制表符(第 A 列)"_s});
        rows("a zero-width space in a class", u"刘洋,一\u200B班,101\n"_s,
             {u"2|拒绝:班级名称中有看不见的字符 U+200B(如文字方向符、零宽字符)(第 B 列)"_s});
        rows("an ideographic space inside a name is a name", u"王　芳,一班,101\n"_s,
             {u"2|将添加(随机密码)"_s});
        rows("a quote closed two lines later",
             u"刘洋,\"一班,101\n陈静,一班,102\n赵磊,一班\",103\n孙丽,一班,104\n"_s,
             {u"2–4|拒绝:第 2 行的引号到第 4 行才闭合;班级名称中有换行符(第 B 列)"_s,
              u"5|将添加(随机密码)"_s});
        rows("a quote never closed", u"刘洋,一班,101\n陈静,\"一班,102\n赵磊,一班,103\n"_s,
             {u"2|将添加(随机密码)"_s,
              u"3–4|拒绝:第 3 行的引号到文件末尾(第 4 行)也没有闭合;班级名称中有换行符(第 B "
              "列);学号不能为空(第 C 列)"_s});
    }
    void refusedFilesAndRowsWriteNothing()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QFETCH(QStringList, results);
        QVERIFY(!path.isEmpty());
        const QStringList before = Pupils(*m_pDatabase);
        CScriptedPlatform platform;
        if (!results.isEmpty()) {
            Listing preview;
            QVERIFY(!Import(platform, path,
                            [&](CImportPreviewDlg* dlg) { preview = ListOf(dlg->m_listRows); }));
            QCOMPARE(Results(preview), results);
            QCOMPARE(Pupils(*m_pDatabase), before);
            return;
        }
        platform.AnswerFiles({path});
        bool bProgressShown = false;
        if (reason.isEmpty()) {
            Drive<CImportReadDlg>(platform, [&](CImportReadDlg* dlg) {
                bProgressShown = dlg->m_wndProgress && dlg->m_wndProgress->maximum() > 0;
                dlg->ClickButton(2);
            });
        } else {
            ReadThrough(platform);
        }
        QVERIFY(!ImportClassList(CSession::Instance(), nullptr));
        QCOMPARE(platform.modalRuns, QStringList{u"CImportReadDlg"_s});
        QCOMPARE(Pupils(*m_pDatabase), before);
        if (reason.isEmpty()) {
            QVERIFY(bProgressShown);
            QVERIFY(platform.boxes.isEmpty());
            return;
        }
        CompareBoxes(platform, ErrorBox(u"无法导入“%1”:%2。\n没有写入任何内容。"_s.arg(
                                   QFileInfo(path).fileName(), reason)));
    }

private:
    void StoreScore(qint64 user, const QString& name, const QString& number)
    {
        StoreWithScore(*m_pDatabase->Admin(),
                       TimedAttempt(user, 111, QDateTime(QDate(2024, 9, 2), QTime(9, 0)), 60000),
                       name, number, 90);
    }

    qint64 m_nFang = 0;
    qint64 m_nMing = 0;
    qint64 m_nNamesake = 0;
};

QE_TEST_MAIN(TestClassroom)
#include "tst_classroom.moc"
