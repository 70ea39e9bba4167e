#pragma once

class CQeView;

// A keystroke in a lesson of the course: the key event into the lesson's
// screen in the view, and the repaint of what it changed through Qt's
// backing store; with the share of the keyboard that a key repaints.
void RegisterLessonBenchmarks(CQeView* view);
