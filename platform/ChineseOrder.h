#pragma once

#include <QString>

// The order of names, classes and titles in the lists: Chinese by pinyin,
// the same on both database engines.
int CompareChinese(const QString& a, const QString& b);
