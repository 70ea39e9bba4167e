#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// The class at one glance: a tile per pupil, in rows as wide as the window
// allows, each with the name, the progress, the state (its colour frames
// the tile) and the speed. Only paints what it is given.
class CPupilTiles : public QWidget
{
    Q_OBJECT
public:
    struct CTile
    {
        QString strName;
        QString strProgress; // "45%", or empty
        QString strState;
        QString strSpeed;
        QString strActivity; // what is typed: "英文练习", the exam's title, "指法 第3课"
    };

    // The tile's second line: at work, what the pupil types and how fast
    // (the colour says 练习中 or 考试中); otherwise the state, and what it
    // was about.
    static QString SecondLine(const CTile& tile);

    explicit CPupilTiles(QWidget* parent = nullptr);

    void SetTiles(const QList<CTile>& tiles);
    const QList<CTile>& Tiles() const { return m_tiles; }
    // The size of a tile, from the font: nine wide characters by two lines.
    QSize TileSize() const;
    int Columns() const;
    // The rectangle of tile i, in the widget.
    QRect TileRect(int i) const;
    // The colour that frames a state's tile.
    static QColor StateColour(const QString& state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitHeight();

    QList<CTile> m_tiles;
};
