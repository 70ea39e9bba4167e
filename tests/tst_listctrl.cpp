#include "platform/ListCtrl.h"
#include "tests/TestMain.h"

#include <QHeaderView>
#include <QPainter>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {

void AddColumns(CListCtrl& list, int nCount)
{
    for (int i = 0; i < nCount; ++i)
        list.InsertColumn(i, u"列%1"_s.arg(i), i == 1 ? 60 : 80);
}

QString Cell(int nRow, int nCol)
{
    return u"%1-%2"_s.arg(nRow).arg(nCol);
}

QStringList Column(CListCtrl& list, int nCol)
{
    QStringList texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.append(list.GetItemText(row, nCol));
    return texts;
}

} // namespace

class TestListCtrl : public QObject
{
    Q_OBJECT
private slots:
    // Rows inserted where asked (past the end or at -1: appended), sub-items
    // travelling with their row and with an inserted column; rows appended at
    // once, a short one reading empty in its missing cells.
    void rowsAndColumns()
    {
        CListCtrl list;
        AddColumns(list, 2);
        QCOMPARE(std::tuple(list.GetColumnWidth(1), list.GetColumnWidth(2),
                            list.header()->stretchLastSection()),
                 std::tuple(60, 0, false));
        for (const auto& [position, text] :
             {std::pair{0, u"b"_s}, {0, u"a"_s}, {1, u"m"_s}, {9, u"z"_s}, {-1, u"e"_s}})
            QVERIFY(list.InsertItem(position, text) >= 0);
        QCOMPARE((QList<bool>{list.SetItemText(0, 1, u"a1"_s), list.SetItemText(0, 2, u"beyond"_s),
                              list.SetItemText(5, 0, u"no row"_s)}),
                 (QList<bool>{true, false, false}));
        QCOMPARE(list.InsertItem(1, u"n"_s), 1);
        QCOMPARE(list.InsertColumn(1, u"插入"_s, 50), 1);
        QCOMPARE(list.GetColumnText(2), u"列1"_s);
        QCOMPARE(Column(list, 0), (QStringList{u"a"_s, u"n"_s, u"m"_s, u"b"_s, u"z"_s, u"e"_s}));
        QCOMPARE(Column(list, 2), (QStringList{u"a1"_s, {}, {}, {}, {}, {}}));
        QCOMPARE(list.GetItemText(0, 1), QString());
        list.DeleteAllItems();
        list.AppendRows({{Cell(0, 0), Cell(0, 1), Cell(0, 2)}, {u"last"_s}});
        QCOMPARE(Column(list, 2) << list.GetItemText(7, 0)
                                 << QString::number(list.GetColumnCount()),
                 (QStringList{Cell(0, 2), QString(), QString(), u"3"_s}));
    }
};

QE_TEST_MAIN(TestListCtrl)
#include "tst_listctrl.moc"
