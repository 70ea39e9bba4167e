#include "platform/Dialog.h"
#include "practice/PracticeScreen.h"
#include "res/CommandIds.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"
#include "texts/TextRules.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

// Loading a screenful of practice text into the document.
class TestLoading : public QObject
{
    Q_OBJECT
private:
    static QByteArray Repeat(const QString& text, int times)
    {
        return Gbk::Encode(text).repeated(times);
    }
    static QString CheckedCommands(CQeView* view)
    {
        QString checked;
        for (int id :
             {ID_PRACTICE_CHINESE, ID_PRACTICE_ENGLISH, ID_PRACTICE_NUMBER, ID_PRACTICE_SYMBOL}) {
            CCmdUI ui(id);
            view->OnUpdateCmdUI(ui);
            if (ui.m_bChecked)
                checked += QString::number(id) + u' ';
        }
        return checked.trimmed();
    }
    // Every practice buffer of the document, for comparing two loads.
    static QByteArray Buffers(const CQeDoc& doc)
    {
        QByteArray bytes(&doc.m_cnText[0][0][0], sizeof doc.m_cnText);
        bytes.append(&doc.m_enText[0][0], sizeof doc.m_enText);
        for (const QByteArray& line : doc.m_aTextLine)
            bytes.append(line).append('|');
        return bytes;
    }
    // A text of count lines of words, each line ending in CR LF.
    static QString Lines(const QString& word, int count)
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += word.repeated(1 + i % 7) + u"\r\n"_s;
        return text;
    }

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
        CPracticeFixture f;
        CQeDoc doc;
        while (!text.atEnd()) {
            doc.ResetPractice();
            if (chinese)
                doc.ReadDoubleByteScreen(text);
            else
                doc.ReadSingleByteScreen(text);
            for (int r = 0; r < CQeDoc::Rows; ++r) {
                const QString row = chinese ? Gbk::Decode(doc.m_aTextLine[r])
                                            : QString::fromLatin1(doc.m_enText[r], CQeDoc::Columns);
                if (!row.trimmed().isEmpty())
                    rows.append(row);
            }
        }
        QVERIFY(rows.size() >= CQeDoc::Rows);
        const auto inWord = [](QChar ch) {
            return ch.isLetterOrNumber() || ch == u'\'' || ch == u'-';
        };
        QStringList faults;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString& row = rows[i];
            if (chinese) {
                if (u"，。：、；？！”’）》"_s.contains(row.front()))
                    faults.append(row);
                continue;
            }
            if (row.front() == u' ')
                faults.append(row);
            if (i + 1 < rows.size() && inWord(row.back()) && inWord(rows[i + 1].front()))
                faults.append(row.right(12) + u" | "_s + rows[i + 1].left(12));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"\n"_s)));
    }

    void singleByteRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("row0");
        QTest::addColumn<QByteArray>("row1");
        QTest::newRow("line break joins the lines")
            << QByteArray("abc\r\ndef") << QByteArray("abcdef").leftJustified(92, ' ')
            << QByteArray(92, ' ');
        QTest::newRow("only line breaks")
            << QByteArray("\r\n\r\n\n\r") << QByteArray(92, ' ') << QByteArray(92, ' ');
        QTest::newRow("rows follow each other without a break")
            << QByteArray(100, 'x') << QByteArray(92, 'x')
            << QByteArray(8, 'x').leftJustified(92, ' ');
        QTest::newRow("empty file") << QByteArray() << QByteArray(92, ' ') << QByteArray(92, ' ');
    }
    void singleByteRows()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, row0);
        QFETCH(QByteArray, row1);
        CPracticeFixture f;
        f.WriteFile(u"english.txt"_s, file);
        f.view->OnPracticeEnglish();
        QCOMPARE(f.TextRow(0), row0);
        QCOMPARE(f.TextRow(1), row1);
        for (int r = 2; r < CQeDoc::Rows; ++r)
            QCOMPARE(f.TextRow(r), QByteArray(92, ' '));
        QCOMPARE(f.doc.m_enText[0][92], '\0');
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void chineseLineBreakIsNoSeparator()
    {
        CPracticeFixture f;
        f.WriteFile(u"chinese.txt"_s, Gbk::Encode(u"中文\r\n练习"_s));
        f.view->OnPracticeChinese();
        QCOMPARE(f.doc.TextCell(0, 0), Gbk::Encode(u"中"_s));
        QCOMPARE(f.doc.TextCell(0, 1), Gbk::Encode(u"文"_s));
        QCOMPARE(f.doc.TextCell(0, 2), Gbk::Encode(u"练"_s));
        QCOMPARE(f.doc.TextCell(0, 3), Gbk::Encode(u"习"_s));
        QCOMPARE(f.doc.m_aTextLine[0], Gbk::Encode(u"中文练习"_s));
        QCOMPARE(f.doc.TextCell(0, 4), QByteArray());
        QCOMPARE(f.doc.m_aTextLine[1], QByteArray());
    }

    void chineseScreenShowsFirst644Twice()
    {
        CPracticeFixture f;
        QString text;
        for (int i = 0; i < 700; ++i)
            text += QChar(0x4E00 + i % 500);
        f.WriteFile(u"chinese.txt"_s, Gbk::Encode(text));
        for (int load = 0; load < 2; ++load) {
            f.view->OnPracticeChinese();
            QByteArray screen;
            for (int r = 0; r < CQeDoc::Rows; ++r) {
                QCOMPARE(f.doc.m_aTextLine[r].size(), 92);
                screen += f.doc.m_aTextLine[r];
            }
            QCOMPARE(screen, Gbk::Encode(text.left(644)));
        }
    }

    void leadingDigitShiftsThePairing()
    {
        CPracticeFixture f;
        const QByteArray chinese = Gbk::Encode(u"中文练"_s);
        f.WriteFile(u"chinese.txt"_s, "1" + chinese);
        f.view->OnPracticeChinese();
        QCOMPARE(f.doc.TextCell(0, 0), QByteArray("1") + chinese.left(1));
        QCOMPARE(f.doc.TextCell(0, 1), chinese.mid(1, 2));
        QCOMPARE(f.doc.TextCell(0, 2), chinese.mid(3, 2));
        QCOMPARE(f.doc.TextCell(0, 3), chinese.mid(5, 1));
    }

    void chineseFileOfLineBreaksOnly()
    {
        CPracticeFixture f;
        f.WriteFile(u"chinese.txt"_s, "\r\n\r\n");
        f.view->OnPracticeChinese();
        QCOMPARE(f.doc.m_cnText[0][0][0], ' ');
        QCOMPARE(f.doc.m_cnText[0][0][1], '\0');
        QCOMPARE(f.doc.m_aTextLine[0], QByteArray(" "));
        QCOMPARE(f.doc.TextCell(0, 1), QByteArray());
        for (int r = 1; r < CQeDoc::Rows; ++r)
            QCOMPARE(f.doc.m_aTextLine[r], QByteArray());
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void missingFileShowsBoxAndCredits()
    {
        CPracticeFixture f;
        f.view->OnPracticeNumber();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(u"number.txt"_s));
        QCOMPARE(f.platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));
        QCOMPARE(f.view->m_bShowCredits, 1);
        QVERIFY(!f.frame->Clock().m_bReadyPrompt);
        QVERIFY(!f.view->m_file.isOpen());
    }

    void exactlyOneCheckMarkAfterLoad()
    {
        CPracticeFixture f;
        f.WriteFile(u"punctuate.txt"_s, "!?");
        QCOMPARE(CheckedCommands(f.view), QString());
        f.view->OnPracticeSymbol();
        QCOMPARE(CheckedCommands(f.view), u"32774"_s);
        QVERIFY(f.view->m_file.isOpen());
        QVERIFY(f.frame->Clock().m_bReadyPrompt);
        f.view->ShowCredits();
        QCOMPARE(CheckedCommands(f.view), QString());
    }

    void newLoadAbandonsRunningSession()
    {
        CPracticeFixture f;
        f.WriteFile(u"chinese.txt"_s, Repeat(u"中文"_s, 30));
        f.WriteFile(u"english.txt"_s, "hello world");
        f.view->OnPracticeChinese();
        f.Type(u" 中"_s);
        f.platform.SetTime(QTime(12, 0, 9));
        f.frame->OnTimer(1);
        QCOMPARE(ElapsedSeconds, 9);
        f.view->OnPracticeEnglish();
        QCOMPARE(ElapsedSeconds, 0);
        QCOMPARE(TypedCount, 0);
        QCOMPARE(f.doc.m_aTypedLine[0], QByteArray());
        QCOMPARE(f.TextRow(0).left(11), QByteArray("hello world"));
        QVERIFY(!f.view->Session().IsRunning());
        QVERIFY(!f.frame->Clock().m_bClockRunning);
        QVERIFY(f.platform.modalRuns.isEmpty());
    }

    // A stored text is practised screen by screen: screen n is what the
    // loader reads from a file of the same bytes after n - 1 screenfuls,
    // and the text has as many screens as the loader reads before only
    // line breaks are left.
    void storedTextScreensAreTheLoadersScreens_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("screens");
        QTest::newRow("English lines over three screens")
            << int(PracticeKind::English) << Lines(u"typing "_s, 120) << 3;
        QTest::newRow("exactly one screen")
            << int(PracticeKind::Number) << u"0123456789"_s.repeated(128) + u"12345678"_s << 1;
        QTest::newRow("a trailing line break makes no screen")
            << int(PracticeKind::Symbol) << u"!@#$%"_s.repeated(258) + u"\r\n\r\n"_s << 2;
        QTest::newRow("Chinese with digits, letters and line breaks")
            << int(PracticeKind::Chinese) << Lines(u"第1课春天来了，ABC。"_s, 60) + u"最后一行"_s
            << 5;
    }
    void storedTextScreensAreTheLoadersScreens()
    {
        QFETCH(int, kind);
        QFETCH(QString, body);
        QFETCH(int, screens);
        const QByteArray bytes = TextRules::FileBytes(TextRules::Normalise(body, kind), kind);
        QCOMPARE(ScreenCount(bytes, kind), screens);
        CPracticeFixture f;
        CQeDoc reader; // reads the file as the loader does, screen after screen
        QBuffer file;
        file.setData(bytes);
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (int screen = 1; screen <= screens; ++screen) {
            reader.ResetPractice();
            if (kind == PracticeKind::Chinese)
                reader.ReadDoubleByteScreen(file);
            else
                reader.ReadSingleByteScreen(file);
            CPracticeScreen stored;
            stored.nKind = kind;
            stored.text = bytes;
            stored.nScreen = screen;
            f.view->LoadScreen(stored);
            QCOMPARE(Buffers(f.doc), Buffers(reader));
            QCOMPARE(CurrentPracticeKind, kind);
        }
        // What is left after the last screen is line breaks at most.
        QVERIFY(file.readAll().replace('\r', "").replace('\n', "").isEmpty());
        // The first screen is the practice command's screen of the same file.
        const QString file1 = kind == PracticeKind::Chinese   ? u"chinese.txt"_s
                              : kind == PracticeKind::English ? u"english.txt"_s
                              : kind == PracticeKind::Number  ? u"number.txt"_s
                                                              : u"punctuate.txt"_s;
        f.WriteFile(file1, bytes);
        CPracticeScreen first;
        first.nKind = kind;
        first.text = bytes;
        f.view->LoadScreen(first);
        const QByteArray stored = Buffers(f.doc);
        f.view->OnCmdMsg(ID_PRACTICE_CHINESE + kind - PracticeKind::Chinese);
        QCOMPARE(Buffers(f.doc), stored);
    }

    // In a Chinese text every character is one double-byte cell, typed as
    // it is shown: a half-width space would take a cell with another space,
    // and typing it followed by the next letter would leave that cell blank
    // and swallow the letter.
    void chineseTextWithLettersDigitsAndSpacesCanBeTyped_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("letters, digits and spaces") << u"abc def 123"_s;
        QTest::newRow("a lesson's heading") << u"第1课a,b"_s;
        QTest::newRow("a number with its point") << u"圆周率3.14 don't"_s;
    }
    void chineseTextWithLettersDigitsAndSpacesCanBeTyped()
    {
        QFETCH(QString, body);
        CPracticeFixture f;
        CPracticeScreen screen;
        screen.nKind = PracticeKind::Chinese;
        const QString shown = TextRules::Normalise(body, screen.nKind);
        screen.text = TextRules::FileBytes(shown, screen.nKind);
        f.view->LoadScreen(screen);
        f.Type(u" "_s + shown);
        QCOMPARE(TypedCount, int(shown.size()));
        QCOMPARE(CorrectCount, int(shown.size()));
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
        // Normalising twice changes nothing more.
        QCOMPARE(TextRules::Normalise(normalised, kind), normalised);
    }

    void importedFilesAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // "<none>": refused
        const QString chinese = u"中文练习,第1课。"_s;
        QTest::newRow("UTF-8") << chinese.toUtf8() << chinese;
        QTest::newRow("UTF-8 with its byte-order mark")
            << QByteArray("\xEF\xBB\xBF") + chinese.toUtf8() << chinese;
        QTest::newRow("GBK") << Gbk::Encode(chinese) << chinese;
        QTest::newRow("ASCII") << QByteArray("plain text\r\n") << u"plain text\r\n"_s;
        QTest::newRow("broken: a lead byte at the end")
            << Gbk::Encode(chinese) + QByteArray("\x81") << u"<none>"_s;
        QTest::newRow("broken: bytes of no character") << QByteArray("ab\xFF\xFF"
                                                                     "cd")
                                                       << u"<none>"_s;
        QTest::newRow("a word processor's file")
            << QByteArray("PK\x03\x04\x00\x00", 6) << u"<none>"_s;
    }
    void importedFilesAreDecoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::optional<QString> decoded = TextRules::DecodeFile(bytes);
        QCOMPARE(decoded.value_or(u"<none>"_s), text);
    }

    // After the last cell of a text's screen and its result, the next screen
    // waits for the space bar: one key starts it. The last screen, or a
    // screen ended with Esc, leads back to the credits.
    void nextScreenStartsWithOneKey()
    {
        CPracticeFixture f;
        QByteArray text;
        for (int i = 0; text.size() < 2 * 1288 + 100; ++i)
            text.append(char('a' + i % 26));
        CPracticeScreen screen;
        screen.nKind = PracticeKind::English;
        screen.text = text;
        screen.strTitle = u"字母"_s;
        f.view->LoadScreen(screen);
        const auto typeScreen = [&f] {
            QByteArray keys;
            for (int r = 0; r < CQeDoc::Rows; ++r)
                keys += f.TextRow(r);
            f.Type(QByteArray(" ") + keys);
        };
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(2); });
        typeScreen();
        QCOMPARE(f.platform.modalRuns, QStringList{u"CResultDlg"_s});
        QCOMPARE(f.view->LoadedScreen().value().nScreen, 2);
        QCOMPARE(f.view->m_bShowCredits, 0);
        QCOMPARE(f.TextRow(0), text.mid(1288, 92));
        QVERIFY(!f.view->Session().IsRunning());
        QVERIFY(f.frame->Clock().m_bReadyPrompt);
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
        QVERIFY(f.platform.boxes.isEmpty());

        // Esc on screen 2 ends the text.
        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(2); });
        f.Type(QByteArray("ab\x1b"));
        QCOMPARE(f.view->m_bShowCredits, 1);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));

        // The last screen typed to its end leads to the credits too.
        screen.nScreen = 3;
        f.view->LoadScreen(screen);
        QCOMPARE(f.TextRow(0), text.mid(2 * 1288, 92));
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(2); });
        typeScreen();
        QCOMPARE(f.platform.modalRuns.size(), 3);
        QCOMPARE(f.view->m_bShowCredits, 1);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));
    }
};

QE_TEST_MAIN(TestLoading)
#include "tst_loading.moc"
