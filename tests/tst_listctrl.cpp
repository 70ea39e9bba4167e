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
        QCOMPARE((QStringList{list.GetItemText(nRows - 1, 11), list.GetItemText(500009, 2),
                              list.GetItemText(500011, 2)}),
                 (QStringList{Cell(nRows - 1, 11), Cell(500009, 2), QString()}));
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
        QCOMPARE(list.InsertItem(0, u"own"_s), 0);
        QCOMPARE(list.GetItemText(0, 0), u"own"_s);
    }

    // Changes to cells reach the view as one change, once control returns.
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
        QCOMPARE(std::pair(spy[0][0].value<QModelIndex>().row(), spy[0][1].value<QModelIndex>()),
                 std::pair(1, list.model()->index(3, 2)));
    }

    // The extended styles: full-row selection, movable headers, tracking and
    // grid lines on the column edge and the row's bottom edge.
    void extendedStyle_data()
    {
        QTest::addColumn<unsigned>("style");
        QTest::newRow("all four") << unsigned(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                              LVS_EX_TRACKSELECT | LVS_EX_GRIDLINES);
        QTest::newRow("none") << 0u;
    }
    void extendedStyle()
    {
        QFETCH(unsigned, style);
        CListCtrl list;
        list.resize(300, 200);
        AddColumns(list, 2);
        list.InsertItem(0, QString());
        list.InsertItem(1, QString());
        list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
        list.SetExtendedStyle(style);
        const bool on = style != 0;
        QCOMPARE(std::tuple(list.GetExtendedStyle(), list.selectionBehavior(),
                            list.header()->sectionsMovable(), list.hasMouseTracking()),
                 std::tuple(on ? 0x39u : 0u,
                            on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems, on,
                            on));
        list.show();
        const QImage image = list.viewport()->grab().toImage();
        const QRect row = list.visualRect(list.model()->index(0, 0));
        const QRgb line = list.palette().color(QPalette::Mid).rgb();
        QCOMPARE(std::pair(image.pixel(79, row.center().y()) == line,
                           image.pixel(40, row.bottom()) == line),
                 std::pair(on, on));
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
        const QImage image = list.model()
                                 ->data(list.model()->index(0, 0), Qt::DecorationRole)
                                 .value<QPixmap>()
                                 .toImage();
        QCOMPARE(std::tuple(image.size(), image.pixelColor(0, 0).alpha(), image.pixelColor(6, 6)),
                 std::tuple(QSize(16, 15), 0, QColor(Qt::red)));
        QVERIFY(!list.model()->data(list.model()->index(0, 1), Qt::DecorationRole).isValid());
    }
};

QE_TEST_MAIN(TestListCtrl)
#include "tst_listctrl.moc"
