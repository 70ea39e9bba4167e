#include "platform/Gbk.h"
#include "platform/Platform.h"
#include "platform/ScriptedPlatform.h"
#include "tests/TestMain.h"

using namespace Qt::Literals::StringLiterals;

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void gbkRoundTrip()
    {
        const QByteArray bytes = Gbk::Encode(u"中文abc"_s);
        QCOMPARE(bytes, QByteArray("\xd6\xd0\xce\xc4"
                                   "abc"));
        QCOMPARE(Gbk::Decode(bytes), u"中文abc"_s);
    }
    void afxMessageBoxAddsCaptionAndExclamation()
    {
        CScriptedPlatform platform;
        platform.AnswerBoxes({IDCANCEL});
        QCOMPARE(AfxMessageBox(u"文本"_s, MB_OKCANCEL), IDCANCEL);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].caption, u"qe"_s);
        QCOMPARE(platform.boxes[0].flags, MB_OKCANCEL | MB_ICONEXCLAMATION);
    }
};

QE_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
