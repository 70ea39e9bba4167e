#pragma once

#include "app/MainFrame.h"
#include "platform/Gbk.h"
#include "platform/MainWindow.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"

#include <QFile>

#include <memory>

// A main frame with its document and view, as start-up makes them, for the
// practice suites; the platform is scripted.
struct CPracticeFixture
{
    CPracticeFixture()
    {
        doc.OnNewDocument();
        frame = std::make_unique<CMainFrame>();
        AfxSetMainWnd(frame.get());
        frame->Create(&doc);
        view = frame->GetActiveView();
        platform.boxes.clear(); // the document's report of the missing database
    }
    ~CPracticeFixture() { AfxSetMainWnd(nullptr); }

    static void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        file.write(bytes);
    }

    // Loads a practice of the kind, its text written to the kind's file.
    void Load(bool chinese, const QByteArray& text)
    {
        WriteFile(chinese ? QStringLiteral("chinese.txt") : QStringLiteral("english.txt"), text);
        chinese ? view->OnPracticeChinese() : view->OnPracticeEnglish();
    }

    // Types bytes one by one, as the keyboard delivers them.
    void Type(const QByteArray& bytes)
    {
        for (char byte : bytes)
            view->OnChar(static_cast<unsigned char>(byte));
    }
    void Type(const QString& text) { Type(Gbk::Encode(text)); }

    // Each box shown, as "caption|text|flags".
    QStringList Boxes() const
    {
        QStringList boxes;
        for (const CScriptedPlatform::Box& box : platform.boxes)
            boxes.append(QStringLiteral("%1|%2|%3").arg(box.caption, box.text).arg(box.flags));
        return boxes;
    }

    QByteArray TypedRow(int row) const { return QByteArray(doc.m_enTyped[row], CQeDoc::Columns); }
    QByteArray TextRow(int row) const { return QByteArray(doc.m_enText[row], CQeDoc::Columns); }

    CScriptedPlatform platform;
    CQeDoc doc;
    std::unique_ptr<CMainFrame> frame;
    CQeView* view = nullptr;
};
