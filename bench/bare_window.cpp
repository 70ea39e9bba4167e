// The floor for the start-up and keystroke figures: a bare Qt window of the
// main window's size with a menu, a status bar and a central widget that
// echoes each typed character, with a cursor after it, in the practice font.
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QWidget>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

class CEchoView : public QWidget
{
public:
    CEchoView()
    {
        QFont font;
        font.setFamilies({u"Noto Sans Mono CJK SC"_s, u"monospace"_s});
        font.setPixelSize(16);
        setFont(font);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_nCharWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->text().isEmpty()) {
            QWidget::keyPressEvent(event);
            return;
        }
        m_strTyped += event->text();
        const int typed = int(m_strTyped.size());
        update(CellRect(typed - 1).united(CellRect(typed)));
    }
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        for (qsizetype i = 0; i < m_strTyped.size(); ++i) {
            const QRect cell = CellRect(int(i));
            if (cell.intersects(event->rect()))
                painter.drawText(cell, Qt::AlignLeft | Qt::AlignBottom, m_strTyped.mid(i, 1));
        }
        painter.drawText(CellRect(int(m_strTyped.size())), Qt::AlignLeft | Qt::AlignBottom, u"_"_s);
    }

private:
    QRect CellRect(int index) const
    {
        const int perLine = std::max(1, width() / m_nCharWidth);
        return QRect(index % perLine * m_nCharWidth, 16 + index / perLine * 32, m_nCharWidth, 16);
    }

    QString m_strTyped;
    int m_nCharWidth = 8;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(u"bare"_s);
    QMenu* file = window.menuBar()->addMenu(u"文件(&F)"_s);
    file->addAction(u"退出(&X)"_s, &window, &QWidget::close);
    window.menuBar()->addMenu(u"帮助(&H)"_s);
    window.statusBar()->showMessage(u"就绪"_s);
    auto* view = new CEchoView;
    window.setCentralWidget(view);
    window.resize(750, 540);
    window.show();
    view->setFocus();
    return QApplication::exec();
}
