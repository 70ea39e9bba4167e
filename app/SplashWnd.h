#pragma once

#include <QPixmap>
#include <QWidget>

// The borderless picture window of the start: it checks that the data files
// exist, writing a progress text onto the picture for each one found and
// reporting each missing one, and a second later hands over to the login
// dialog. The object lives exactly as long as its window.
class CSplashWnd : public QWidget
{
    Q_OBJECT
public:
    ~CSplashWnd() override;

    static void EnableSplash(bool bEnable = true);
    // Shows the splash window over parent and runs the data-file check
    // before it returns; nothing when disabled or already shown.
    static void ShowSplash(QWidget* parent);

    bool Create(QWidget* parent);
    // Destroys the window (and with it this object), then has the main
    // window repaint at once.
    void HideSplash();

    // The hand-over tick (timer 1): the login dialog; Cancel there ends the
    // process at once. Public so that tests can drive it.
    void OnTimer(int nIDEvent);

    // What the check drew over the picture (the picture alone before it).
    const QPixmap& CheckFrame() const { return m_pixFrame; }

    static bool s_bEnabled;
    static CSplashWnd* s_pInstance;

    QPixmap m_bitmap;
    bool m_bFirstPaint = true;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // The splash takes no input: neither a key nor a click closes it.
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CSplashWnd() = default;
    void CheckDataFiles();
    void DrawProgress(const QString& text);

    QPixmap m_pixFrame;
    bool m_bChecking = false;
    int m_nTimerId = 0;
};
