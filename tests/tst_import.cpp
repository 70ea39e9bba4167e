#include "classroom/ImportPreviewDlg.h"
#include "classroom/ImportReadDlg.h"
#include "platform/ListCtrl.h"
#include "platform/ProgressCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/HostileFiles.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"

#include <QDir>
#include <QSqlQuery>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassA = u"三年级二班"_s;

// Each pupil's user row as "name|class|number|password", in key order.
// Each pupil as "name|class|number|": no password can be read back.
QStringList Pupils(const CTestDatabase& db)
{
    QStringList pupils;
    for (const QStringList& row : db.AccountRows(u"user"_s))
        pupils.append(row.mid(0, 4).join(u'|'));
    return pupils;
}

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

// The reading dialog left to end by itself once the file is read.
void ReadThrough(CScriptedPlatform& platform)
{
    platform.DriveDialog(
        [](QDialog* dialog) { static_cast<CImportReadDlg*>(dialog)->WaitForReading(); });
}

QString Refusal(const QString& fileName, const QString& reason)
{
    return u"无法导入“%1”:%2。\n没有写入任何内容。"_s.arg(fileName, reason);
}

} // namespace

// Importing a class list: reading it off the interface thread, checking
// every row, the preview, and files made to hurt.
class TestImport : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Super;
        m_pDatabase->SignInAsTeacher();
        m_pDatabase->Insert(u"user"_s, {u"李明"_s, ClassA, u"001"_s, u"pw"_s, u"普通用户"_s});
    }
    void cleanup() { m_pDatabase.reset(); }

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
            ReadThrough(platform);
            Listing preview;
            QString summary;
            Drive<CImportPreviewDlg>(platform, [&](CImportPreviewDlg* dlg) {
                preview = ListOf(dlg->m_listRows);
                summary = dlg->GetDlgItemText(1001);
                dlg->ClickButton(confirm ? 1 : 2);
            });
            QCOMPARE(ImportClassList(nullptr), confirm);
            QCOMPARE(platform.modalRuns.mid(0, 2),
                     (QStringList{u"CImportReadDlg"_s, u"CImportPreviewDlg"_s}));
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
                         {Box(ImportedQuestion(2), u"提示"_s, MB_YESNO | MB_ICONQUESTION)});
            // The cards of the pupils just imported carry their passwords.
            QCOMPARE(platform.modalRuns.last(), u"CLoginCardsDlg"_s);
            QCOMPARE(after.mid(0, before.size()), before);
            QCOMPARE(after.size(), before.size() + 2);
            QCOMPARE(after[before.size()], u"刘洋|三年级二班|101|"_s);
            QCOMPARE(after[before.size() + 1], u"陈静|%1|102|"_s.arg(ClassA));
            QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"刘洋"_s), u"ly2024"_s));
            // The password the preview showed is the one the account takes.
            QVERIFY(IsSixDigits(preview.cells[1][4]));
            QVERIFY(m_pDatabase->Accepts(KeyOf(*m_pDatabase, u"陈静"_s), preview.cells[1][4]));
        }
    }

    // The chooser names the columns; the preview shows every line number
    // whole, also those of two digits and more.
    void importShowsWhatAClassListHolds()
    {
        QStringList lines{u"姓名,班级,学号"_s};
        for (int i = 0; i < 120; ++i)
            lines.append(u"学生%1,%2,%3"_s.arg(i).arg(ClassA).arg(500 + i));
        const QString path = WriteFile(u"长名单.csv"_s, lines.join(u"\r\n"_s).toUtf8());
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        ReadThrough(platform);
        int needed = 0;
        int width = 0;
        Drive<CImportPreviewDlg>(platform, [&](CImportPreviewDlg* dlg) {
            // The list measures the rows in view: the last ones, of three digits.
            CListCtrl* list = dlg->m_listRows;
            list->scrollToBottom();
            needed = static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0);
            width = list->GetColumnWidth(0);
            dlg->ClickButton(2);
        });
        ImportClassList(nullptr);
        QVERIFY(platform.modalRuns.contains(u"CImportPreviewDlg"_s));
        QVERIFY2(needed > 0 && width >= needed, qPrintable(u"%1 < %2"_s.arg(width).arg(needed)));
        const QString chooser = platform.fileChoosers.value(0) + platform.fileFilters.value(0);
        for (const QString& column : {u"姓名"_s, u"班级"_s, u"学号"_s, u"密码"_s})
            QVERIFY2(chooser.contains(column), qPrintable(chooser));
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
        ReadThrough(platform);
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
        ExpectRefused(path, reason);
    }

    // Files that once froze the window for many seconds, took gigabytes or
    // overflowed the column arithmetic: each is refused, with its reason,
    // before it costs the window anything (bench_import.cpp measures that).
    void hostileFilesAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("99,999 rows of one cell in column ALM")
            << WriteFile(u"wide.xlsx"_s, HostileFiles::WideSheet())
            << u"文件中的学生太多(超过 20000 名)"_s;
        QTest::newRow("shared strings that inflate to 60 MB")
            << WriteFile(u"strings.xlsx"_s, HostileFiles::InflatingStrings())
            << u"文件解压后太大(xl/sharedStrings.xml 超过 32 MB)"_s;
        QTest::newRow("a cell reference of seven letters (fuzzing)")
            << WriteFile(u"seven.xlsx"_s, HostileFiles::SevenLetterColumn())
            << u"单元格位置“ZZZZZZZ1”超出了工作表的范围(最后一列是 XFD)"_s;
        QTest::newRow("five names of 700,000 characters")
            << WriteFile(u"names.csv"_s, HostileFiles::LongNamesCsv())
            << u"第 2 行的第 1 个字段太长(超过 2000 个字符)"_s;
        QString swallowed = u"姓名,班级,学号\n张三,\"三年级二班,101\n"_s;
        for (int i = 0; i < 3000; ++i)
            swallowed += u"学生%1,三年级二班,%1\n"_s.arg(i);
        QTest::newRow("a quote that swallows the rest of the file")
            << WriteFile(u"quote.csv"_s, swallowed.toUtf8())
            << u"第 2 行的引号到第 141 行还没有闭合"_s; // where it passes 2,000 characters
    }
    void hostileFilesAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        ExpectRefused(path, reason);
    }

    // Cancel while the file is read: no preview, no message, nothing written.
    void cancelStopsTheReading()
    {
        const QString path = WriteFile(u"wide.xlsx"_s, HostileFiles::WideSheet());
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        bool bProgressShown = false;
        Drive<CImportReadDlg>(platform, [&](CImportReadDlg* dlg) {
            bProgressShown = dlg->m_wndProgress && dlg->m_wndProgress->maximum() > 0;
            dlg->ClickButton(2);
        });
        QVERIFY(!ImportClassList(nullptr));
        QVERIFY(bProgressShown);
        QCOMPARE(platform.modalRuns, QStringList{u"CImportReadDlg"_s});
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(Pupils(*m_pDatabase).size(), 1);
    }

    // Rows refused with their reason: characters that show as something
    // else or as nothing, and a quote that runs on over the next pupils.
    void rowsAreRefusedWithTheirReason_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("results");
        const QString head = u"姓名,班级,学号\n"_s;
        QTest::newRow("a line break in a class")
            << head + u"刘洋,\"三年级\n二班\",101\n"_s << QStringList{u"2–3"_s}
            << QStringList{u"拒绝:第 2 行的引号到第 3 行才闭合;班级名称中有换行符"_s};
        QTest::newRow("a tab in a name") << head + u"刘\t洋,一班,101\n"_s << QStringList{u"2"_s}
                                         << QStringList{u"拒绝:用户姓名中有制表符"_s};
        QTest::newRow("a right-to-left override")
            << head + u"刘洋\u202E,一班,101\n"_s << QStringList{u"2"_s}
            << QStringList{u"拒绝:用户姓名中有看不见的字符 U+202E(如文字方向符、零宽字符)"_s};
        QTest::newRow("a zero-width space in a class")
            << head + u"刘洋,一\u200B班,101\n"_s << QStringList{u"2"_s}
            << QStringList{u"拒绝:班级名称中有看不见的字符 U+200B(如文字方向符、零宽字符)"_s};
        QTest::newRow("a bell") << head + u"刘洋\u0007,一班,101\n"_s << QStringList{u"2"_s}
                                << QStringList{u"拒绝:用户姓名中有控制字符 U+0007"_s};
        QTest::newRow("nothing visible")
            << head + u"\u3164\u3164,一班,101\n"_s << QStringList{u"2"_s}
            << QStringList{u"拒绝:用户姓名中没有看得见的字符"_s};
        QTest::newRow("an ideographic space inside a name is a name")
            << head + u"王　芳,一班,101\n"_s << QStringList{u"2"_s}
            << QStringList{u"将添加(随机密码)"_s};
        QTest::newRow("a quote closed two lines later")
            << head + u"刘洋,\"一班,101\n陈静,一班,102\n赵磊,一班\",103\n孙丽,一班,104\n"_s
            << QStringList{u"2–4"_s, u"5"_s}
            << QStringList{u"拒绝:第 2 行的引号到第 4 行才闭合;班级名称中有换行符"_s,
                           u"将添加(随机密码)"_s};
        QTest::newRow("a quote never closed")
            << head + u"刘洋,一班,101\n陈静,\"一班,102\n赵磊,一班,103\n"_s
            << QStringList{u"2"_s, u"3–4"_s}
            << QStringList{u"将添加(随机密码)"_s,
                           u"拒绝:第 3 行的引号到文件末尾(第 4 行)也没有闭合;班级名称中有换行符;"
                           "学号不能为空"_s};
    }
    void rowsAreRefusedWithTheirReason()
    {
        QFETCH(QString, csv);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, results);
        CScriptedPlatform platform;
        platform.AnswerFiles({WriteFile(u"名单.csv"_s, csv.toUtf8())});
        ReadThrough(platform);
        Listing preview;
        Drive<CImportPreviewDlg>(
            platform, [&](CImportPreviewDlg* dlg) { preview = ListOf(dlg->m_listRows); });
        QVERIFY(!ImportClassList(nullptr));
        QStringList shownLines, shownResults;
        for (const QStringList& row : std::as_const(preview.cells)) {
            shownLines.append(row[0]);
            shownResults.append(row[5]);
        }
        QCOMPARE(shownLines, lines);
        QCOMPARE(shownResults, results);
        QCOMPARE(Pupils(*m_pDatabase).size(), 1);
    }

private:
    // The file at path is refused with reason after it was read, and
    // nothing is written.
    void ExpectRefused(const QString& path, const QString& reason)
    {
        QVERIFY(!path.isEmpty());
        const QStringList before = Pupils(*m_pDatabase);
        CScriptedPlatform platform;
        platform.AnswerFiles({path});
        ReadThrough(platform);
        QVERIFY(!ImportClassList(nullptr));
        QCOMPARE(platform.modalRuns, QStringList{u"CImportReadDlg"_s});
        CompareBoxes(platform, {Box(Refusal(QFileInfo(path).fileName(), reason), u"错误!"_s,
                                    MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(Pupils(*m_pDatabase), before);
    }

    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestImport)
#include "tst_import.moc"
