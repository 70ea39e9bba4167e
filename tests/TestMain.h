#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Runs a Qt Test class headless in a fresh temporary working directory.
#define QE_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QApplication app(argc, argv);                                                              \
        QTemporaryDir workDir;                                                                     \
        if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))                               \
            return 2;                                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
