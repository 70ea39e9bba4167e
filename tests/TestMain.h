#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// A suite of what draws no widget builds without them.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
using CTestApplication = QApplication;
#else
#include <QGuiApplication>
using CTestApplication = QGuiApplication;
#endif

// Runs a Qt Test class headless in a fresh temporary working directory,
// whose config/ holds the settings the suite keeps (QSettings), so that a
// suite neither reads nor changes the machine user's.
#define QE_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QTemporaryDir workDir;                                                                     \
        if (!workDir.isValid())                                                                    \
            return 2;                                                                              \
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(workDir.filePath(QStringLiteral("config")))); \
        CTestApplication app(argc, argv);                                                          \
        if (!QDir::setCurrent(workDir.path()))                                                     \
            return 2;                                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
