#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/Titles.h"
#include "platform/Dialog.h"
#include "platform/DisplayScale.h"
#include "platform/ScriptedPlatform.h"
#include "res/Resources.h"
#include "tests/DialogTemplates.h"
#include "tests/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The commands of a menu and its pop-ups.
void Commands(const QList<MenuItem>& items, QList<int>& out)
{
    for (const MenuItem& item : items) {
        if (!item.bPopup && !item.bSeparator)
            out.append(item.nCommand);
        Commands(item.children, out);
    }
}

// The smallest screen the program is made for: 1366x768 less a 40-pixel
// panel, and room for a window manager's title bar and borders.
constexpr QSize SmallWorkArea{1366, 728};
constexpr QSize FrameAllowance{2 * 4, 30 + 2 * 4};

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    // Every command of the menus, the accelerators and the tool bar is in
    // the command table, under a name of its own and with a prompt (but About).
    void everyCommandUsedIsInTheCommandTable()
    {
        QSet<int> known;
        QSet<QString> names;
        for (const CommandInfo& command : CommandTable()) {
            known.insert(command.nID);
            QVERIFY2(command.strName.startsWith(u"ID_"_s), qPrintable(command.strName));
            names.insert(command.strName);
            QCOMPARE(HasString(command.nID), command.nID != 32805);
        }
        QCOMPARE(names.size(), known.size());
        QList<int> used;
        Commands(LoadMenu(128), used);
        Commands(LoadMenu(109), used);
        for (const AcceleratorEntry& entry : LoadAccelerators(128))
            used.append(entry.nCommand);
        for (const ToolBarButton& button : LoadToolBar(128)) {
            if (button.nCommand != ID_SEPARATOR)
                used.append(button.nCommand);
        }
        QVERIFY(used.size() > 60);
        for (int id : used)
            QVERIFY2(known.contains(id), qPrintable(QString::number(id)));
    }

    // Each figure's definition, which its column's tip shows, is the
    // manual's word for word.
    void figureDefinitionsAreTheManuals()
    {
        QFile manual(u":/help/progress.html"_s);
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(manual.readAll());
        for (const QString& name : {u"回改"_s, u"回改率"_s, u"键准"_s, u"选重"_s, u"打词率"_s,
                                    u"理论码长"_s, u"速度损失"_s}) {
            const QString definition = FigureDefinition(name);
            QVERIFY2(definition.size() > 20, qPrintable(name));
            QVERIFY2(text.contains(u"<td>%1</td><td>%2</td>"_s.arg(name, definition)),
                     qPrintable(name));
        }
    }

    // Each rung of the titles' ladders stands in the manual as it is earned.
    void titlesAreTheManuals()
    {
        QFile manual(u":/help/progress.html"_s);
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(manual.readAll());
        for (const int kind : {PracticeKind::Chinese, PracticeKind::English}) {
            const QList<CTitle> ladder = Titles::Ladder(kind);
            QCOMPARE(ladder.size(), 5);
            for (qsizetype rung = 0; rung < ladder.size(); ++rung) {
                const CTitle& title = ladder[rung];
                if (rung > 0)
                    QVERIFY(title.dSpeed > ladder[rung - 1].dSpeed &&
                            title.nKeyAccuracy >= ladder[rung - 1].nKeyAccuracy);
                const QString cell = u"<td>%1：%2 %3，键准 %4%</td>"_s.arg(title.strName)
                                         .arg(title.dSpeed)
                                         .arg(Metrics::SpeedUnit(kind))
                                         .arg(title.nKeyAccuracy);
                QVERIFY2(text.contains(cell), qPrintable(cell));
            }
        }
    }

    // Every dialog, as the builder makes it at 100 %, fits the small screen
    // with its frame; and so it does at the display size chosen there, which
    // scales the same layout as a whole.
    void everyDialogFitsTheSmallScreen_data() { AddRowPerDialog(); }
    void everyDialogFitsTheSmallScreen()
    {
        QFETCH(int, id);
        QCOMPARE(DisplayScale::AppliedPercent(), 100);
        CScriptedPlatform platform;
        QSize size;
        platform.DriveDialog([&](QDialog* dialog) {
            size = dialog->size();
            static_cast<CDialog*>(dialog)->EndDialog(2);
        });
        CDialog dialog(id);
        dialog.DoModal();
        QVERIFY(!size.isEmpty());
        // The automatic display size there, for the main window of 750x540.
        const int percent = DisplayScale::FitPercent(SmallWorkArea, QSize(750, 540));
        for (int p : {100, percent}) {
            const QSize outer = QSize(int(std::lround(size.width() * p / 100.0)),
                                      int(std::lround(size.height() * p / 100.0))) +
                                FrameAllowance;
            QVERIFY2(outer.width() <= SmallWorkArea.width() &&
                         outer.height() <= SmallWorkArea.height(),
                     qPrintable(u"%1x%2 at %3 %"_s.arg(size.width()).arg(size.height()).arg(p)));
        }
    }
};

QE_TEST_MAIN(TestResources)
#include "tst_resources.moc"
