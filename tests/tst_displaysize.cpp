#include "platform/Dialog.h"
#include "platform/DisplayScale.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogTemplates.h"
#include "tests/TestMain.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// The labels, buttons and frames whose text does not fit the widget that
// holds it, each named by its text.
QStringList UnfitTexts(const QWidget* dialog)
{
    QStringList unfit;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(dialog))
            continue;
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QFontMetrics metrics = label->fontMetrics();
        const QRect needed = metrics.boundingRect(room, flags, label->text());
        // Whole lines: a wrapped text must not need more than the label holds.
        const int lines = qRound(double(needed.height()) / metrics.lineSpacing());
        const int roomLines = std::max(1, room.height() / metrics.height());
        if (needed.width() > room.width() || lines > roomLines)
            unfit.append(label->text());
    }
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || !button->isVisibleTo(dialog))
            continue;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        if (qobject_cast<const QCheckBox*>(button))
            element = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<const QRadioButton*>(button))
            element = QStyle::SE_RadioButtonContents;
        const QRect room = button->style()->subElementRect(element, &option, button);
        const int width =
            button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&'));
        if (width > room.width())
            unfit.append(button->text());
    }
    for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        const int width = group->fontMetrics().horizontalAdvance(group->title());
        if (width > group->width())
            unfit.append(group->title());
    }
    return unfit;
}

} // namespace

class TestDisplaySize : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        DisplayScale::Apply(200);
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    }

    // Every dialog template of the program as the builder makes it.
    void everyTextFitsItsWidget_data() { AddRowPerDialog(); }
    void everyTextFitsItsWidget()
    {
        QFETCH(int, id);
        CScriptedPlatform platform;
        QStringList unfit;
        qreal ratio = 0;
        platform.DriveDialog([&](QDialog* dialog) {
            ratio = dialog->devicePixelRatio();
            unfit = UnfitTexts(dialog);
            static_cast<CDialog*>(dialog)->EndDialog(2);
        });
        CDialog dialog(id);
        dialog.DoModal();
        QCOMPARE(ratio, 2.0);
        QVERIFY2(unfit.isEmpty(), qPrintable(unfit.join(u" | "_s)));
    }
};

QE_TEST_MAIN(TestDisplaySize)
#include "tst_displaysize.moc"
