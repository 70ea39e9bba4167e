#include "res/CommandIds.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"

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
        for (int id : {ID_PRACTICE_CHINESE, ID_PRACTICE_ENGLISH, ID_PRACTICE_NUMBER,
                       ID_PRACTICE_SYMBOL}) {
            CCmdUI ui(id);
            view->OnUpdateCmdUI(ui);
            if (ui.m_bChecked)
                checked += QString::number(id) + u' ';
        }
        return checked.trimmed();
    }

private slots:
    void singleByteRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("row0");
        QTest::addColumn<QByteArray>("row1");
        QTest::newRow("line break joins the lines")
            << QByteArray("abc\r\ndef") << QByteArray("abcdef").leftJustified(92, ' ')
            << QByteArray(92, ' ');
        QTest::newRow("only line breaks") << QByteArray("\r\n\r\n\n\r") << QByteArray(92, ' ')
                                          << QByteArray(92, ' ');
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
};

QE_TEST_MAIN(TestLoading)
#include "tst_loading.moc"
