#pragma once

#include <QString>

// The order of names, classes and titles in the lists: Chinese by pinyin,
// the same on both database engines; numbers in their order, also those
// that count grades and classes in Chinese (二年级 before 十年级).
int CompareChinese(const QString& a, const QString& b);
