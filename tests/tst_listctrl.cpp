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
        list.InsertColumn(i, u"列%1"_s.arg(i), i == 10 ? 60 : 80);
}

QString Cell(int nRow, int nCol)
{
    return u"%1-%2"_s.arg(nRow).arg(nCol);
}

} // namespace

class TestListCtrl : public QObject
{
    Q_OBJECT
private slots:
    void columnsKeepHeadersAndWidths()
    {
        CListCtrl list;
        AddColumns(list, 12);
        QCOMPARE(list.GetColumnCount(), 12);
        QCOMPARE(list.GetColumnText(4), u"列4"_s);
        QCOMPARE(list.GetColumnWidth(10), 60);
        QCOMPARE(list.GetColumnWidth(11), 80);
        QCOMPARE(list.GetColumnWidth(12), 0);
        QVERIFY(!list.header()->stretchLastSection());
    }

    void hundredThousandRows_data()
    {
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("inserted one by one") << false;
        QTest::newRow("appended at once") << true;
    }
    void hundredThousandRows()
    {
        QFETCH(bool, atOnce);
        CListCtrl list;
        AddColumns(list, 12);
        const int nRows = 100000;
        QList<QStringList> rows;
        for (int row = 0; row < nRows; ++row) {
            if (atOnce) {
                QStringList& cells = rows.emplace_back();
                for (int col = 0; col < 12; ++col)
                    cells.append(Cell(row, col));
                continue;
            }
            const int nItem = list.InsertItem(row, Cell(row, 0));
            for (int col = 1; col < 12; ++col)
                list.SetItemText(nItem, col, Cell(row, col));
        }
        list.AppendRows(rows);
        // A short row appended after the others reads empty in its missing cells.
        list.AppendRows({{u"last"_s}});
        QCOMPARE(list.GetItemCount(), nRows + 1);
        for (int row : {0, 1, 54321, nRows - 1}) {
            for (int col : {0, 5, 11})
                QCOMPARE(list.GetItemText(row, col), Cell(row, col));
        }
        QCOMPARE(list.model()->data(list.model()->index(77777, 9)).toString(), Cell(77777, 9));
        QCOMPARE(list.GetItemText(nRows, 0), u"last"_s);
        QCOMPARE(list.GetItemText(nRows, 1), QString());
        list.DeleteAllItems();
        QCOMPARE(list.GetItemCount(), 0);
        QCOMPARE(list.GetColumnCount(), 12);
    }

    // A million rows read on demand: only the spans looked at are fetched,
    // Home and End go to the first and the last row, and a span the source
    // gives short leaves its missing rows empty.
    void rowSourceFetchesWhatIsShown()
    {
        CListCtrl list;
        AddColumns(list, 12);
        list.resize(400, 300);
        const int nRows = 1000000;
        QList<std::pair<int, int>> fetched;
        list.SetRowSource(nRows, [&fetched](int nFirst, int nCount) {
            fetched.append({nFirst, nCount});
            QList<QStringList> rows;
            for (int row = nFirst; row < nFirst + nCount && row != 500010; ++row) {
                QStringList& cells = rows.emplace_back();
                for (int col = 0; col < 12; ++col)
                    cells.append(Cell(row, col));
            }
            return rows;
        });
        QCOMPARE(list.GetItemCount(), nRows);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.GetItemText(nRows - 1, 11), Cell(nRows - 1, 11));
        QCOMPARE(list.GetItemText(500009, 2), Cell(500009, 2));
        QCOMPARE(list.GetItemText(500011, 2), QString());
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_End);
        QCOMPARE(list.currentIndex().row(), nRows - 1);
        QTest::keyClick(&list, Qt::Key_Home);
        QCOMPARE(list.currentIndex().row(), 0);
        list.viewport()->grab();
        QVERIFY2(fetched.size() <= 6, qPrintable(QString::number(fetched.size())));
        // Spans at the start, around row 500,010 and at the end only.
        for (const auto& [first, count] : fetched)
            QVERIFY2(first < 640 || std::abs(first - 500000) < 640 || first > nRows - 640,
                     qPrintable(QString::number(first)));
        list.DeleteAllItems();
        QCOMPARE(list.GetItemCount(), 0);
        QCOMPARE(list.InsertItem(0, u"own"_s), 0);
        QCOMPARE(list.GetItemText(0, 0), u"own"_s);
    }

    void insertItemPlacesRows_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("expectedRow");
        QTest::addColumn<QStringList>("column0");
        QTest::newRow("at the top") << 0 << 0 << QStringList{u"new"_s, u"a"_s, u"b"_s};
        QTest::newRow("in the middle") << 1 << 1 << QStringList{u"a"_s, u"new"_s, u"b"_s};
        QTest::newRow("past the end appends") << 9 << 2 << QStringList{u"a"_s, u"b"_s, u"new"_s};
        QTest::newRow("negative appends") << -1 << 2 << QStringList{u"a"_s, u"b"_s, u"new"_s};
    }
    void insertItemPlacesRows()
    {
        QFETCH(int, position);
        QFETCH(int, expectedRow);
        QFETCH(QStringList, column0);
        CListCtrl list;
        AddColumns(list, 2);
        list.InsertItem(0, u"a"_s);
        list.SetItemText(0, 1, u"a1"_s);
        list.InsertItem(1, u"b"_s);
        QCOMPARE(list.InsertItem(position, u"new"_s), expectedRow);
        QStringList texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.append(list.GetItemText(row, 0));
        QCOMPARE(texts, column0);
        // Sub-items travel with their row.
        QCOMPARE(list.GetItemText(column0.indexOf(u"a"_s), 1), u"a1"_s);
    }

    void setItemTextNeedsRowAndColumn()
    {
        CListCtrl list;
        AddColumns(list, 3);
        list.InsertItem(0, u"x"_s);
        QVERIFY(list.SetItemText(0, 2, u"z"_s));
        QVERIFY(!list.SetItemText(0, 3, u"beyond"_s));
        QVERIFY(!list.SetItemText(1, 0, u"no row"_s));
        QCOMPARE(list.GetItemText(0, 2), u"z"_s);
        QCOMPARE(list.GetItemText(0, 1), QString());
        QCOMPARE(list.GetItemText(5, 0), QString());
    }

    void cellChangesReachTheViewTogether()
    {
        CListCtrl list;
        AddColumns(list, 3);
        for (int row = 0; row < 5; ++row)
            list.InsertItem(row, Cell(row, 0));
        QSignalSpy spy(list.model(), &QAbstractItemModel::dataChanged);
        list.SetItemText(1, 2, u"b"_s);
        list.SetItemText(3, 1, u"d"_s);
        QCOMPARE(list.GetItemText(3, 1), u"d"_s);
        QCOMPARE(spy.size(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(spy.size(), 1);
        const auto topLeft = spy[0][0].value<QModelIndex>();
        const auto bottomRight = spy[0][1].value<QModelIndex>();
        QCOMPARE(topLeft.row(), 1);
        QCOMPARE(bottomRight.row(), 3);
        QCOMPARE(bottomRight.column(), 2);
    }

    void insertedColumnShiftsSubItems()
    {
        CListCtrl list;
        AddColumns(list, 2);
        list.InsertItem(0, u"name"_s);
        list.SetItemText(0, 1, u"class"_s);
        QCOMPARE(list.InsertColumn(1, u"插入"_s, 50), 1);
        QCOMPARE(list.GetColumnText(2), u"列1"_s);
        QCOMPARE(list.GetItemText(0, 2), u"class"_s);
        QCOMPARE(list.GetItemText(0, 1), QString());
    }

    void extendedStyleSetsSelectionAndHeader()
    {
        CListCtrl list;
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_TRACKSELECT |
                              LVS_EX_GRIDLINES);
        QCOMPARE(list.GetExtendedStyle(), 0x39u);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(list.header()->sectionsMovable());
        QVERIFY(list.hasMouseTracking());
        list.SetExtendedStyle(0);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectItems);
        QVERIFY(!list.header()->sectionsMovable());
    }

    void gridLinesAreDrawn_data()
    {
        QTest::addColumn<unsigned>("style");
        QTest::addColumn<bool>("lines");
        QTest::newRow("grid lines") << unsigned(LVS_EX_GRIDLINES) << true;
        QTest::newRow("no grid lines") << 0u << false;
    }
    void gridLinesAreDrawn()
    {
        QFETCH(unsigned, style);
        QFETCH(bool, lines);
        CListCtrl list;
        list.resize(300, 200);
        AddColumns(list, 2);
        list.InsertItem(0, QString());
        list.InsertItem(1, QString());
        list.SetExtendedStyle(style);
        list.show();
        const QImage image = list.viewport()->grab().toImage();
        const QRect row = list.visualRect(list.model()->index(0, 0));
        const QRgb line = list.palette().color(QPalette::Mid).rgb();
        // The column edge at x = 79 and the row's bottom edge.
        QCOMPARE(image.pixel(79, row.center().y()) == line, lines);
        QCOMPARE(image.pixel(40, row.bottom()) == line, lines);
    }

    void imageListShowsFirstImageWithBlackTransparent()
    {
        QPixmap strip(32, 15);
        strip.fill(Qt::black);
        {
            QPainter p(&strip);
            p.fillRect(4, 4, 8, 8, Qt::red);
            p.fillRect(16, 0, 16, 15, Qt::blue);
        }
        CListCtrl list;
        AddColumns(list, 2);
        list.InsertItem(0, u"行"_s);
        list.SetImageList(strip, 16);
        QCOMPARE(list.GetImageCount(), 2);
        const QVariant decoration =
            list.model()->data(list.model()->index(0, 0), Qt::DecorationRole);
        const QImage image = decoration.value<QPixmap>().toImage();
        QCOMPARE(image.size(), QSize(16, 15));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(6, 6), QColor(Qt::red));
        QVERIFY(!list.model()->data(list.model()->index(0, 1), Qt::DecorationRole).isValid());
    }
};

QE_TEST_MAIN(TestListCtrl)
#include "tst_listctrl.moc"
