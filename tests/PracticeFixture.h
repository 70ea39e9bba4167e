#pragma once

#include "platform/Gbk.h"
#include "platform/MainWindow.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeClock.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/QeView.h"
#include "tests/SettleWorker.h"
#include "users/DatabaseSteps.h"

#include <QCoreApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QMap>

#include <memory>

// The typing of the practice suites: a document and its view, and the
// helpers that load and type a practice; the platform is scripted.
struct CTypingFixture
{
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

    // Types bytes one by one, as the keyboard delivers them, each after
    // what the database's worker answered to the one before (an exam's
    // text shows once its start is recorded).
    void Type(const QByteArray& bytes)
    {
        for (char byte : bytes) {
            view->OnChar(static_cast<unsigned char>(byte));
            SettleWorker();
        }
    }
    void Type(const QString& text) { Type(Gbk::Encode(text)); }

    // What an input method sends: a commit, then the composition that
    // follows it (empty when none is open).
    void Compose(const QString& preedit, const QString& commit = {})
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QCoreApplication::sendEvent(view, &event);
    }

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
    CQeDoc doc{CDatabaseSteps{}};
    CQeView* view = nullptr;
};

// The view alone, as a window of its own, with the practice clock writing
// to panes the suite reads: what the practice and its clock do, without the
// main window around them.
struct CPracticeFixture : CTypingFixture, IStatusPanes
{
    CPracticeFixture()
    {
        doc.OnNewDocument();
        CViewServices services;
        services.pClock = &clock;
        services.runCommand = [this](int nID) { commandsRun.append(nID); };
        m_pView = std::make_unique<CQeView>(&doc, services);
        view = m_pView.get();
        platform.boxes.clear(); // the document's report of the missing database
    }

    void SetPaneText(int index, const QString& text) override { panes[index] = text; }
    QString PaneText(int index) const { return panes.value(index); }

    QMap<int, QString> panes;
    CPracticeClock clock{*this};
    QList<int> commandsRun; // the commands the view ran, by id

private:
    std::unique_ptr<CQeView> m_pView;
};
