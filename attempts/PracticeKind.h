#pragma once

#include <QString>

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

// One of the four practices of the described program.
inline bool IsPractice(int kind)
{
    return kind >= Chinese && kind <= Symbol;
}

// The score row's label of a kind: "中文测试", "英文测试", "数字测试", "符号测试";
// empty for any other.
inline QString ScoreLabel(int kind)
{
    switch (kind) {
    case Chinese:
        return QStringLiteral("中文测试");
    case English:
        return QStringLiteral("英文测试");
    case Number:
        return QStringLiteral("数字测试");
    case Symbol:
        return QStringLiteral("符号测试");
    default:
        return {};
    }
}
} // namespace PracticeKind
