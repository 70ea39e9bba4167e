#include "documents/CsvWriter.h"
#include "documents/PdfText.h"
#include "documents/TableExport.h"
#include "platform/ScriptedPlatform.h"
#include "tests/TableReader.h"
#include "tests/TestMain.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

using namespace Qt::Literals::StringLiterals;

namespace {

// A table with every kind of cell, and texts a spreadsheet or a CSV reader
// could mistake.
CExportTable Sample()
{
    CExportTable table;
    table.strTitle = u"三年级二班 中文 成绩(2024-09-01 至 2024-09-30)"_s;
    table.strSheetName = u"三年级二班"_s;
    table.header = {u"姓名"_s, u"次数"_s, u"平均速度(字/分)"_s, u"总时间"_s, u"备注"_s};
    table.rows = {
        {CExportCell::Text(u"王芳"_s), CExportCell::Integer(12), CExportCell::Number(25.25, 1),
         CExportCell::Duration(90500), CExportCell::Text(u"a,\"b\""_s)},
        {CExportCell::Text(u"=1+1"_s), CExportCell::Integer(0), CExportCell(), CExportCell(),
         CExportCell::Text(u"两行\n文字"_s)},
    };
    return table;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT
private slots:

    // Each table from a new page, its title on every page; a long one goes
    // on over pages that count themselves.
    void pdfPagesPerTable()
    {
        CExportTable first = Sample();
        CExportTable second = Sample();
        second.strTitle = u"五年级一班 中文 成绩"_s;
        for (int i = 0; i < 50; ++i)
            second.rows.append(first.rows[0]);
        CExportTable third = Sample();
        third.strTitle = u"全校 中文 成绩"_s;
        for (int i = 0; i < 400; ++i)
            third.rows.append(first.rows[0]);
        const QString path = QDir::current().filePath(u"表.pdf"_s);
        QCOMPARE(WriteTables({first, second, third}, ExportFormat::Pdf, path), QString());
        const int pages = PdfPages(path);
        QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));
        const QStringList texts = PdfPageTexts(path);
        QVERIFY2(texts[0].contains(u"三年级二班 中文"_s), qPrintable(texts[0].left(300)));
        // "第 n 页,共 m 页".
        const auto pageOf = [](const QString& text) {
            const auto match = QRegularExpression(u"第 (\\d+) 页,共 (\\d+) 页"_s).match(text);
            return match.hasMatch() ? match.captured(1) + u'/' + match.captured(2) : QString();
        };
        // Fifty pupils fit one page.
        QVERIFY(texts[1].contains(u"五年级一班"_s));
        QCOMPARE(pageOf(texts[1]), u"1/1"_s);
        const int rest = pages - 2;
        for (int page = 0; page < rest; ++page) {
            QVERIFY(texts[2 + page].contains(u"全校 中文 成绩"_s));
            QCOMPARE(pageOf(texts[2 + page]), u"%1/%2"_s.arg(page + 1).arg(rest));
            QVERIFY(texts[2 + page].contains(u"姓名"_s));
        }
    }

    // The text maps of a PDF: a radical standing for one glyph becomes its
    // ideograph (as the print font draws it: 户 for ⼾), in every form a map
    // may take; a run of glyphs over consecutive code points, the code
    // space and the rest of the file stay as they are, byte for byte.
    void radicalsInTheTextMapBecomeIdeographs_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("an array") << QByteArray("<0001> <0003> [<5F20> <2F26> <2F3E>]")
                                  << QByteArray("<0001> <0003> [<5F20> <5B50> <6237>]");
        QTest::newRow("one glyph")
            << QByteArray("<0004> <0004> <2EE9>") << QByteArray("<0004> <0004> <9EC4>");
        QTest::newRow("a run is left")
            << QByteArray("<0005> <0006> <2F00>") << QByteArray("<0005> <0006> <2F00>");
    }
    void radicalsInTheTextMapBecomeIdeographs()
    {
        QFETCH(QByteArray, map);
        QFETCH(QByteArray, expected);
        const QByteArray head = "%PDF-1.4 <2F26>\nbegincmap\n1 begincodespacerange\n<2F00> "
                                "<2FFF>\nendcodespacerange\n";
        const QByteArray chars = "1 beginbfchar\n<0007> <2EDA>\nendbfchar\nendcmap\n<2F26>";
        const QByteArray pdf = head + "1 beginbfrange\n" + map + "\nendbfrange\n" + chars;
        QCOMPARE(WithIdeographsForRadicals(pdf, u"Noto Sans CJK SC"_s),
                 head + "1 beginbfrange\n" + expected + "\nendbfrange\n" +
                     QByteArray(chars).replace("<2EDA>", "<9875>"));
    }

    // A spreadsheet skips a leading tab or carriage return and then takes
    // the sign for a formula's: such a cell is prefixed too.
    void csvFormulaAfterATabOrReturnStaysText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::newRow("a tab, then =") << u"\t=1+1"_s << u"'\t=1+1"_s;
        QTest::newRow("a carriage return, then +") << u"\r+1"_s << u"'\r+1"_s;
        QTest::newRow("a carriage return and line feed, then @")
            << u"\r\n@SUM(A1)"_s << u"'\r\n@SUM(A1)"_s;
        QTest::newRow("a minus at once") << u"-2"_s << u"'-2"_s;
        QTest::newRow("a name with a hyphen inside") << u"李-明"_s << u"李-明"_s;
    }
    void csvFormulaAfterATabOrReturnStaysText()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        const CExportTable table{
            .strTitle = u"名单"_s, .header = {u"姓名"_s}, .rows = {{CExportCell::Text(text)}}};
        const QString path = QDir::current().filePath(u"公式.csv"_s);
        QCOMPARE(WriteTables({table}, ExportFormat::Csv, path), QString());
        QCOMPARE(ReadTable(path)[u"rows"_s].toArray()[2].toArray()[0].toString(), read);
    }

    // Worksheet names may not start or end with an apostrophe; a class
    // called so is exported all the same, under a name Excel takes.
    void xlsxSheetNamesWithApostrophes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sheet");
        QTest::newRow("first") << u"'三年级二班"_s << u"三年级二班"_s;
        QTest::newRow("last") << u"三年级二班'"_s << u"三年级二班"_s;
        QTest::newRow("inside") << u"O'Neil 班"_s << u"O'Neil 班"_s;
        QTest::newRow("nothing but apostrophes") << u"''"_s << u"Sheet"_s;
        QTest::newRow("a tab and a line feed") << u"三\t年级\n二班"_s << u"三_年级_二班"_s;
    }
    void xlsxSheetNamesWithApostrophes()
    {
        QFETCH(QString, name);
        QFETCH(QString, sheet);
        CExportTable table = Sample();
        table.strTitle = name + u" 中文 成绩"_s;
        table.strSheetName = name;
        const QString path = QDir::current().filePath(u"撇号.xlsx"_s);
        QCOMPARE(WriteTables({table}, ExportFormat::Xlsx, path), QString());
        QCOMPARE(ReadTable(path)[u"sheets"_s][0][u"name"_s].toString(), sheet);
    }

    // An export that fails says why and leaves no file behind, not even
    // the part it was writing.
    void failedExportLeavesNoFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("xlsx") << int(ExportFormat::Xlsx);
        QTest::newRow("csv") << int(ExportFormat::Csv);
        QTest::newRow("pdf") << int(ExportFormat::Pdf);
    }
    void failedExportLeavesNoFile()
    {
        QFETCH(int, format);
        QDir here = QDir::current();
        QVERIFY(here.mkpath(u"out/成绩"_s)); // the target is a folder: it cannot be replaced
        QDir out(here.filePath(u"out"_s));
        QVERIFY(!WriteTables({Sample()}, ExportFormat(format), out.filePath(u"成绩"_s)).isEmpty());
        QCOMPARE(out.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"成绩"_s});
        QVERIFY(here.rmpath(u"out/成绩"_s));
    }

    // A name as long as a name can be (199 bytes) takes no more than its
    // share of the page: every figure of its row is still printed.
    void pdfKeepsEveryColumnBesideALongName()
    {
        CExportTable table = Sample();
        table.rows = {{CExportCell::Text(QString(99, u'王') + u'x'), CExportCell::Integer(12),
                       CExportCell::Number(25.25, 1), CExportCell::Duration(90500),
                       CExportCell::Text(u"备注"_s)}};
        const QString path = QDir::current().filePath(u"长名.pdf"_s);
        QCOMPARE(WriteTables({table}, ExportFormat::Pdf, path), QString());
        const QString text = PdfPageTexts(path).join(u'\n');
        for (const QString& shown : {u"次数"_s, u"总时间"_s, u"备注"_s, u"12"_s, u"25.3"_s})
            QVERIFY2(text.contains(shown), qPrintable(shown + u" in "_s + text.left(600)));
        QVERIFY2(text.contains(u"王王王"_s), qPrintable(text.left(600)));
    }

    void exportAsTheUserChooses_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("box");
        QTest::newRow("cancelled: nothing written, nothing said")
            << QString() << QString() << QString();
        QTest::newRow("the suffix is added") << u"成绩"_s << u"成绩.xlsx"_s << u"已导出到"_s;
        QTest::newRow("a missing folder is reported")
            << u"没有/成绩.xlsx"_s << QString() << u"无法保存文件"_s;
    }
    void exportAsTheUserChooses()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(QString, box);
        CScriptedPlatform platform;
        platform.AnswerFiles({answer.isEmpty() ? answer : QDir::current().filePath(answer)});
        const QString path =
            ExportTables(nullptr, {Sample()}, ExportFormat::Xlsx, u"三年级/二班"_s);
        QVERIFY(platform.suggestedFiles.value(0).endsWith(u"三年级_二班.xlsx"_s));
        QCOMPARE(path, written.isEmpty() ? QString() : QDir::current().filePath(written));
        QCOMPARE(QFile::exists(path), !written.isEmpty());
        QCOMPARE(platform.boxes.size(), box.isEmpty() ? 0 : 1);
        QVERIFY2(platform.boxes.value(0).text.startsWith(box), qPrintable(box));
    }

    void printGoesToThePrinterChosen()
    {
        CScriptedPlatform platform;
        QVERIFY(!PrintTables(nullptr, {Sample()}));
        const QString path = QDir::current().filePath(u"printed.pdf"_s);
        platform.AnswerPrints({path});
        QVERIFY(PrintTables(nullptr, {Sample(), Sample()}));
        QCOMPARE(platform.printDialogs, 2);
        QCOMPARE(PdfPages(path), 2);
    }
};

QE_TEST_MAIN(TestExport)
#include "tst_export.moc"
