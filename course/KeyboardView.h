#pragma once

#include "course/KeyboardLayout.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

// The keyboard under a lesson, scaled to the room it has: every key tinted
// with its finger's colour, bumps on F and J, the key to type next
// highlighted with the Shift it needs, a wrong key red for a moment,
// Backspace marked when the lesson asks for it; under the keys, the finger
// in words. A change repaints only the keys it touches.
class CKeyboardView : public QWidget
{
    Q_OBJECT
public:
    enum class KeyState { Plain, Next, Wrong, Correct };

    // How long a wrong key stays red.
    static constexpr int WrongMs = 600;

    explicit CKeyboardView(const CKeyboardLayout& layout, QWidget* parent = nullptr);

    // The next character to type; null for none.
    void SetNext(QChar ch);
    // A wrong character typed: its key red until WrongMs have passed or
    // the next key is typed.
    void ShowWrong(QChar typed);
    // Backspace marked as the key to press now.
    void SetCorrection(bool bOn);
    // A text drawn on keys under their letter (a 五笔 key's 字根), by key.
    void SetLegends(const QHash<int, QString>& legends);
    QString LegendOf(int key) const { return m_legends.value(key); }
    // The pixel size a key's legend is drawn at; 0 for none.
    int LegendPixelSize(int key) const;
    // The keys of a code lit as keys to type, each once; empty for none.
    void SetCode(const QString& letters);
    // Every key grey, each key named tinted towards deep red by its heat
    // (0 to 1), with its figures as a tooltip.
    void SetHeat(const QHash<int, double>& heat, const QHash<int, QString>& tips);
    double HeatOf(int key) const { return m_heat.value(key, 0.0); }

    KeyState StateOf(int key) const;
    QString FingerText() const { return m_strFinger; }
    // The pixels of a key and of the line under the keys.
    QRect KeyRect(int key) const;
    QRect FingerRect() const;
    const CKeyboardLayout& Layout() const { return m_layout; }

    QSize sizeHint() const override { return {560, 210}; }
    bool hasHeightForWidth() const override { return false; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QRect LegendRoom(int key) const;
    // The largest pixel size legend fits room at, and its characters a row.
    static int LegendFit(const QString& legend, const QRect& room, int* perRow);
    // Key units to pixels: the block centred in the room above the finger line.
    double Unit() const;
    int FingerLineHeight() const;
    QPointF Origin() const;
    void PlaceKeys();
    void UpdateKey(int key);
    void ClearWrong();
    void DrawKey(QPainter& painter, int key, KeyState state) const;
    const QPixmap& KeyImage(int key, KeyState state) const;
    const QPixmap& FingerImage() const;
    static void DrawPart(QPainter& painter, const QRect& target, const QPixmap& image,
                         QPoint origin);
    QFont FingerFont() const;
    // Where the words of a finger stand in the line under the keys.
    QRect FingerTextRect(const QString& text) const;

    const CKeyboardLayout& m_layout;
    int m_nNext = -1;
    int m_nNextShift = -1;
    int m_nWrong = -1;
    int m_nWrongTimer = 0;
    bool m_bCorrection = false;
    QString m_strFinger;
    QHash<int, QString> m_legends;
    QList<int> m_codeKeys;
    QHash<int, double> m_heat;
    bool m_bHeatMap = false; // the keys show heat, not fingers
    QHash<int, QString> m_tips;
    QColor m_fingerColor;
    QList<QRect> m_keyRects;                 // in pixels, set when the size changes
    mutable QHash<int, QPixmap> m_keyImages; // by key × 4 + state
    mutable QHash<QString, QPixmap> m_fingerImages;
    mutable QHash<QString, int> m_fingerWidths; // of the finger's words, in pixels
};
