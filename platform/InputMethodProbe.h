#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QStringList>

// Finds out whether an input method framework can hand typed Chinese to this
// program: which one Qt was asked to load (QT_IM_MODULE), whether its Qt
// module is installed, and whether the framework is running on the session
// bus. It says "not active" only where it is sure; a framework it does not
// know is taken to work.
class CInputMethodProbe
{
public:
    // What the probe looks at; Current() reads it from the running program.
    struct Setup
    {
        QString platformName; // the Qt platform plugin: xcb, wayland, ...
        QString module;       // QT_IM_MODULE
        QStringList pluginDirs;
        QString busAddress; // the session bus; empty when there is none
    };

    static Setup Current();
    static InputMethodState Probe(const Setup& setup);

private:
    static bool HasModule(const QStringList& pluginDirs, const QString& fileNamePart);
    static bool BusHasAnyName(const QString& busAddress, const QStringList& names);
};
