#pragma once

// Practice kinds; only Chinese uses the double-byte layout.
namespace PracticeKind {
enum : int {
    Chinese = 111,
    English = 112,
    Number = 113,
    Symbol = 114,
    None = 115,
};
}
