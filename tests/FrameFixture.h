#pragma once

#include "app/MainFrame.h"
#include "tests/PracticeFixture.h"

// A main frame with its document and view, as start-up makes them, for the
// suites of the commands it routes (texts, exams, the course, the live
// view); the platform is scripted.
struct CFrameFixture : CTypingFixture
{
    CFrameFixture()
    {
        doc.OnNewDocument();
        frame = std::make_unique<CMainFrame>();
        AfxSetMainWnd(frame.get());
        frame->Create(&doc);
        view = frame->GetActiveView();
        platform.boxes.clear(); // the document's report of the missing database
    }
    ~CFrameFixture() { AfxSetMainWnd(nullptr); }

    std::unique_ptr<CMainFrame> frame;
};
