#include "platform/Dialog.h"
#include "practice/PracticeScreen.h"
#include "res/CommandIds.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"
#include "texts/TextRules.h"
#include "users/CurrentUser.h"

#include <QPushButton>

#include <QBuffer>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// A practice file and the rows of its first screen as the loader reads them
// (every later row blank), with the first cells of a double-byte row.
struct ScreenRows
{
    bool bChinese = false;
    QByteArray file;
    QByteArrayList rows;
    QByteArrayList cells;
};

const auto Gb = &Gbk::Encode;

// Every practice buffer of the document, for comparing two loads.
QByteArray Buffers(const CQeDoc& doc)
{
    QByteArray bytes(&doc.m_cnText[0][0][0], sizeof doc.m_cnText);
    bytes.append(&doc.m_enText[0][0], sizeof doc.m_enText);
    for (const QByteArray& line : doc.m_aTextLine)
        bytes.append(line).append('|');
    return bytes;
}

void ReadNextScreen(CQeDoc& doc, QIODevice& file, bool chinese)
{
    doc.ResetPractice();
    if (chinese)
        doc.ReadDoubleByteScreen(file);
    else
        doc.ReadSingleByteScreen(file);
}

} // namespace

Q_DECLARE_METATYPE(ScreenRows)

// Loading a screenful of practice text into the document, from a file or a
// stored text, and the rules that make a stored text.
class TestLoading : public QObject
{
    Q_OBJECT
private slots:
    // The shipped texts, read screen by screen as the practice reads them:
    // an English word never runs from one row into the next (nor a row
    // begins with a space), and no Chinese row begins with punctuation that
    // closes what stands before it.
    void shippedTextsBreakCleanly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("english.txt breaks no word") << u"english.txt"_s;
        QTest::newRow("chinese.txt starts no row with closing punctuation") << u"chinese.txt"_s;
    }
    void shippedTextsBreakCleanly()
    {
        QFETCH(QString, file);
        QFile text(QDir(qEnvironmentVariable("QE_DATA_DIR")).filePath(file));
        QVERIFY2(text.open(QIODevice::ReadOnly), qPrintable(text.fileName()));
        const bool chinese = file == u"chinese.txt"_s;
        QStringList rows;
        CPracticeFixture f; // the scripted platform the document needs
        CQeDoc doc{CDatabaseSteps{}};
        while (!text.atEnd()) {
            ReadNextScreen(doc, text, chinese);
            for (int r = 0; r < CQeDoc::Rows; ++r) {
                const QString row = chinese ? Gbk::Decode(doc.m_aTextLine[r])
                                            : QString::fromLatin1(doc.m_enText[r], CQeDoc::Columns);
                if (!row.trimmed().isEmpty())
                    rows.append(row);
            }
        }
        QVERIFY(rows.size() >= CQeDoc::Rows);
        const auto inWord = [](QChar ch) { return ch.isLetterOrNumber() || ch == u'\''; };
        QStringList faults;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString& row = rows[i];
            if (chinese ? u"，。：、；？！”’）》"_s.contains(row.front()) : row.front() == u' ')
                faults.append(row);
            if (!chinese && i + 1 < rows.size() && inWord(row.back()) && inWord(rows[i + 1][0]))
                faults.append(row.right(12) + u" | "_s + rows[i + 1].left(12));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"\n"_s)));
    }

    void screenRows_data()
    {
        QTest::addColumn<ScreenRows>("screen");
        QTest::newRow("line break joins single-byte lines")
            << ScreenRows{false, "abc\r\ndef", {QByteArray("abcdef").leftJustified(92)}, {}};
        QTest::newRow("only line breaks") << ScreenRows{false, "\r\n\r\n\n\r", {}, {}};
        QTest::newRow("rows follow each other without a break")
            << ScreenRows{false,
                          QByteArray(100, 'x'),
                          {QByteArray(92, 'x'), QByteArray(8, 'x').leftJustified(92)},
                          {}};
        QTest::newRow("empty file") << ScreenRows{false, {}, {}, {}};
        QTest::newRow("a line break is no double-byte separator")
            << ScreenRows{true,
                          Gb(u"中文\r\n练习"_s),
                          {Gb(u"中文练习"_s)},
                          {Gb(u"中"_s), Gb(u"文"_s), Gb(u"练"_s), Gb(u"习"_s), {}}};
        QTest::newRow("a leading digit shifts the pairing")
            << ScreenRows{true,
                          "1" + Gb(u"中文练"_s),
                          {"1" + Gb(u"中文练"_s)},
                          {"1\xd6", "\xd0\xce", "\xc4\xc1", "\xb7"}};
        QTest::newRow("a double-byte file of line breaks only")
            << ScreenRows{true, "\r\n\r\n", {" "}, {" ", {}}};
        QString text;
        for (int i = 0; i < 700; ++i)
            text += QChar(0x4E00 + i % 500);
        ScreenRows first644{true, Gb(text), {}, {}};
        for (int r = 0; r < CQeDoc::Rows; ++r)
            first644.rows.append(Gb(text.mid(r * 46, 46)));
        QTest::newRow("the first 644 characters, at every load") << first644;
    }
    void screenRows()
    {
        QFETCH(ScreenRows, screen);
        CPracticeFixture f;
        for (int load = 0; load < 2; ++load) {
            f.Load(screen.bChinese, screen.file);
            for (int r = 0; r < CQeDoc::Rows; ++r) {
                const QByteArray blank = screen.bChinese ? QByteArray() : QByteArray(92, ' ');
                QCOMPARE(screen.bChinese ? f.doc.m_aTextLine[r] : f.TextRow(r),
                         screen.rows.value(r, blank));
            }
            for (int c = 0; c < screen.cells.size(); ++c)
                QCOMPARE(f.doc.TextCell(0, c), screen.cells[c]);
        }
        QCOMPARE(f.doc.m_enText[0][92], '\0');
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // A stored text is practised screen by screen: screen n is what the
    // loader reads from a file of the same bytes after n - 1 screenfuls,
    // and the text has as many screens as the loader reads before only
    // line breaks are left. Its first screen is the practice command's.
    void storedTextScreensAreTheLoadersScreens_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("screens");
        QString lines;
        for (int i = 0; i < 120; ++i)
            lines += u"typing "_s.repeated(1 + i % 7) + u"\r\n"_s;
        QTest::newRow("English lines over three screens")
            << int(PracticeKind::English) << lines << 3;
        QTest::newRow("exactly one screen")
            << int(PracticeKind::Number) << u"0123456789"_s.repeated(128) + u"12345678"_s << 1;
        QTest::newRow("a trailing line break makes no screen")
            << int(PracticeKind::Symbol) << u"!@#$%"_s.repeated(258) + u"\r\n\r\n"_s << 2;
        QTest::newRow("Chinese with digits, letters and line breaks")
            << int(PracticeKind::Chinese) << u"第1课春天来了，ABC。\r\n"_s.repeated(60) << 2;
    }
    void storedTextScreensAreTheLoadersScreens()
    {
        QFETCH(int, kind);
        QFETCH(QString, body);
        QFETCH(int, screens);
        const QByteArray bytes = TextRules::FileBytes(TextRules::Normalise(body, kind), kind);
        QCOMPARE(ScreenCount(bytes, kind), screens);
        CPracticeFixture f;
        CQeDoc reader{CDatabaseSteps{}};
        QBuffer file;
        file.setData(bytes);
        QVERIFY(file.open(QIODevice::ReadOnly));
        CPracticeScreen stored{.nKind = kind, .text = bytes};
        for (stored.nScreen = 1; stored.nScreen <= screens; ++stored.nScreen) {
            ReadNextScreen(reader, file, kind == PracticeKind::Chinese);
            f.view->LoadScreen(stored);
            QCOMPARE(Buffers(f.doc), Buffers(reader));
            QCOMPARE(CurrentPracticeKind, kind);
        }
        QVERIFY(file.readAll().replace('\r', "").replace('\n', "").isEmpty());
        const QStringList files{u"chinese.txt"_s, u"english.txt"_s, u"number.txt"_s,
                                u"punctuate.txt"_s};
        f.WriteFile(files[kind - PracticeKind::Chinese], bytes);
        stored.nScreen = 1;
        f.view->LoadScreen(stored);
        const QByteArray first = Buffers(f.doc);
        f.view->OnCmdMsg(ID_PRACTICE_CHINESE + kind - PracticeKind::Chinese);
        QCOMPARE(Buffers(f.doc), first);
    }

    // In a Chinese text every character is one double-byte cell, typed as
    // it is shown: a half-width space would take a cell with another space,
    // and typing it followed by the next letter would leave that cell blank
    // and swallow the letter.
    void chineseTextWithLettersDigitsAndSpacesCanBeTyped_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("letters, digits and spaces") << u"abc def 123"_s;
        QTest::newRow("a number with its point") << u"圆周率3.14 don't"_s;
    }
    void chineseTextWithLettersDigitsAndSpacesCanBeTyped()
    {
        QFETCH(QString, body);
        CPracticeFixture f;
        const int kind = PracticeKind::Chinese;
        const QString shown = TextRules::Normalise(body, kind);
        f.view->LoadScreen({.nKind = kind, .text = TextRules::FileBytes(shown, kind)});
        f.Type(u" "_s + shown);
        QCOMPARE((QList<int>{TypedCount, CorrectCount}), QList<int>(2, int(shown.size())));
    }

    void textRules_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("refused");
        const int chinese = PracticeKind::Chinese;
        QTest::newRow("Chinese: half-width punctuation becomes full-width")
            << chinese << u"你好,世界!(测试);完成:对?"_s << u"你好，世界！（测试）；完成：对？"_s
            << QStringList();
        QTest::newRow("Chinese: quotes pair within a paragraph")
            << chinese << u"他说\"好\"和'行'\n\"再"_s << u"他说“好”和‘行’\n“再"_s << QStringList();
        QTest::newRow("Chinese: letters, digits and spaces become full-width")
            << chinese << u"圆周率3.14,时间10:30,don't. ok"_s
            << u"圆周率３．１４，时间１０：３０，ｄｏｎ’ｔ。　ｏｋ"_s << QStringList();
        QTest::newRow("Chinese: three dots become an ellipsis")
            << chinese << u"等等...好"_s << u"等等……好"_s << QStringList();
        QTest::newRow("Chinese: tabs become spaces, control characters go")
            << chinese << u"甲\t乙\x01丙\r\n丁"_s << u"甲　乙丙\r\n丁"_s << QStringList();
        QTest::newRow("Chinese: characters outside GBK are listed once each")
            << chinese << u"好😀字𠀀😀€"_s << u"好😀字𠀀😀€"_s << QStringList{u"😀"_s, u"𠀀"_s};
        QTest::newRow("English: full-width forms become half-width")
            << int(PracticeKind::English) << u"Ｈｅｌｌｏ，ｗｏｒｌｄ！“ok”…"_s
            << u"Hello,world!\"ok\"..."_s << QStringList();
        QTest::newRow("English: Chinese characters are refused")
            << int(PracticeKind::English) << u"abc中文d中"_s << u"abc中文d中"_s
            << QStringList{u"中"_s, u"文"_s};
        QTest::newRow("digits: a full-width space becomes a space")
            << int(PracticeKind::Number) << u"１２　３４"_s << u"12 34"_s << QStringList();
    }
    void textRules()
    {
        QFETCH(int, kind);
        QFETCH(QString, body);
        QFETCH(QString, stored);
        QFETCH(QStringList, refused);
        const QString normalised = TextRules::Normalise(body, kind);
        QCOMPARE(normalised, stored);
        QCOMPARE(TextRules::Refused(normalised, kind), refused);
        QCOMPARE(TextRules::Normalise(normalised, kind), normalised); // nothing more later
    }

    void importedFilesAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // "<none>": refused
        const QString chinese = u"中文练习,第1课。"_s;
        QTest::newRow("UTF-8") << chinese.toUtf8() << chinese;
        QTest::newRow("UTF-8 with its byte-order mark")
            << "\xEF\xBB\xBF" + chinese.toUtf8() << chinese;
        QTest::newRow("GBK") << Gb(chinese) << chinese;
        QTest::newRow("broken: a lead byte at the end") << Gb(chinese) + "\x81" << u"<none>"_s;
        QTest::newRow("broken: bytes of no character") << QByteArray("ab\xFF\xFF") << u"<none>"_s;
        QTest::newRow("a word processor's file")
            << QByteArray("PK\x03\x04\x00\x00", 6) << u"<none>"_s;
    }
    void importedFilesAreDecoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextRules::DecodeFile(bytes).value_or(u"<none>"_s), text);
    }

    // A text's screen shows its result on its own screen, with no dialog:
    // after the last cell of a screen 下一屏 (or Enter) loads the next one,
    // waiting for the space bar; a screen ended with Esc, or the last one,
    // offers no next screen, and Esc goes back to the credits. 我的作业
    // opens 今日任务, as its menu command does.
    void textScreensShowTheirResultInPlace()
    {
        CPracticeFixture f;
        QByteArray text;
        for (int i = 0; text.size() < 2 * 1288 + 100; ++i)
            text.append(char('a' + i % 26));
        CPracticeScreen screen{.text = text, .strTitle = u"字母"_s};
        f.view->LoadScreen(screen);
        const auto typeScreen = [&] {
            QByteArray keys(" ");
            for (int r = 0; r < CQeDoc::Rows; ++r)
                keys += f.TextRow(r);
            f.Type(keys);
        };
        typeScreen();
        QVERIFY(f.platform.modalRuns.isEmpty());
        QVERIFY(f.view->ShowsResult());
        QCOMPARE(f.view->Band().strTitle.right(5), u"错 0 处"_s);
        QVERIFY(f.view->ResultButton(u"下一屏"_s)->isEnabled());
        f.Type(QByteArray(" x")); // keys wait for a button
        QVERIFY(f.view->ShowsResult() && !f.view->Session().IsRunning());
        f.view->ResultButton(u"下一屏"_s)->click();
        QCOMPARE(f.view->LoadedScreen().value().nScreen, 2);
        QVERIFY(!f.view->ShowsResult());
        QCOMPARE(f.TextRow(0), text.mid(1288, 92));
        QVERIFY(!f.view->Session().IsRunning() && f.clock.m_bReadyPrompt);
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
        // Esc on screen 2 ends it, a mistake shown; no next screen then.
        f.platform.AnswerBoxes({IDOK});
        f.Type(f.TextRow(0).left(1) + "#\b#\x1b");
        QVERIFY(f.view->ShowsResult());
        QCOMPARE(f.view->Band().strTitle.right(5), u"错 1 处"_s);
        // One taken back; the offscreen platform shows no key presses.
        QCOMPARE(f.view->Band().strFiguresLine, u"回改 1   键准 不可用"_s);
        QVERIFY(!f.view->ResultButton(u"下一屏"_s)->isEnabled());
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.view->m_bShowCredits, 1);
        QVERIFY(!f.view->ShowsResult());
        // The last screen typed to its end: Enter practises it again.
        screen.nScreen = 3;
        f.view->LoadScreen(screen);
        typeScreen();
        QVERIFY(!f.view->ResultButton(u"下一屏"_s)->isEnabled());
        QVERIFY(!f.view->ResultButton(u"我的作业"_s)->isEnabled()); // nobody logged in
        f.Type(QByteArray("\r"));
        QCOMPARE(f.view->LoadedScreen().value().nScreen, 3);
        QVERIFY(!f.view->ShowsResult() && f.clock.m_bReadyPrompt);
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 3;
        typeScreen();
        f.view->ResultButton(u"我的作业"_s)->click();
        CurrentUser = CCurrentUser();
        QCOMPARE(f.view->m_bShowCredits, 1);
        QCOMPARE(f.commandsRun, QList<int>{ID_TEACHING_TODAY});
        QVERIFY(f.platform.modalRuns.isEmpty());
    }
};

QE_TEST_MAIN(TestLoading)
#include "tst_loading.moc"
