#pragma once

// Practice kinds; only Chinese uses the double-byte layout.
namespace PracticeKind {
enum : int {
    Chinese = 111,
    English = 112,
    Number = 113,
    Symbol = 114,
    None = 115,
    Lesson = 116, // a lesson of the typing course, kept apart from the scores
};
}
