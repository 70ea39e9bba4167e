#pragma once

#include <QTextBrowser>

// The help window: the user manual compiled into the program, opened at
// its first topic.
class CHelpWindow : public QTextBrowser
{
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    void ShowFirstTopic();
};
