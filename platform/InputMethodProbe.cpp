#include "platform/InputMethodProbe.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Framework
{
    QStringList modules;    // the QT_IM_MODULE values that load it
    QString pluginFilePart; // part of its Qt module's file name
    QStringList busNames;   // names it owns on the session bus while it runs
};

const Framework Frameworks[] = {
    {{u"fcitx"_s, u"fcitx5"_s},
     u"fcitx5platforminputcontext"_s,
     {u"org.fcitx.Fcitx5"_s, u"org.freedesktop.portal.Fcitx"_s}},
    {{u"ibus"_s}, u"ibusplatforminputcontext"_s, {u"org.freedesktop.IBus"_s}},
};

} // namespace

CInputMethodProbe::Setup CInputMethodProbe::Current()
{
    Setup setup;
    setup.platformName = QGuiApplication::platformName();
    setup.module = qEnvironmentVariable("QT_IM_MODULE");
    setup.pluginDirs = QCoreApplication::libraryPaths();
    setup.busAddress = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    // Without the variable libdbus looks for the user bus of systemd.
    const QString userBus = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/bus"_s;
    if (setup.busAddress.isEmpty() && qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") &&
        QFileInfo(userBus).exists())
        setup.busAddress = u"unix:path="_s + userBus;
    return setup;
}

InputMethodState CInputMethodProbe::Probe(const Setup& setup)
{
    // Qt 6.4 reads one module name; "a;b" lists of later versions start with
    // the one it tries first.
    const QString module = setup.module.section(u';', 0, 0).trimmed().toLower();
    if (module.isEmpty()) {
        // On Wayland the compositor brings the input method; on X11 Qt then
        // loads only its compose-key module, which types no Chinese.
        return setup.platformName.startsWith(u"wayland"_s) ? InputMethodState::Active
                                                           : InputMethodState::NotConfigured;
    }
    if (module == u"none"_s || module == u"compose"_s || module == u"xim"_s)
        return InputMethodState::NotConfigured;
    for (const Framework& framework : Frameworks) {
        if (!framework.modules.contains(module))
            continue;
        if (!HasModule(setup.pluginDirs, framework.pluginFilePart))
            return InputMethodState::ModuleMissing;
        return BusHasAnyName(setup.busAddress, framework.busNames) ? InputMethodState::Active
                                                                   : InputMethodState::NotRunning;
    }
    return InputMethodState::Active;
}

bool CInputMethodProbe::HasModule(const QStringList& pluginDirs, const QString& fileNamePart)
{
    for (const QString& dir : pluginDirs) {
        const QStringList files = QDir(dir + u"/platforminputcontexts"_s).entryList(QDir::Files);
        for (const QString& file : files) {
            if (file.contains(fileNamePart))
                return true;
        }
    }
    return false;
}

bool CInputMethodProbe::BusHasAnyName(const QString& busAddress, const QStringList& names)
{
    if (busAddress.isEmpty())
        return false;
    const QString connectionName = u"qe-input-method-probe"_s;
    bool found = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(busAddress, connectionName);
        if (bus.isConnected()) {
            for (const QString& name : names) {
                QDBusMessage ask = QDBusMessage::createMethodCall(
                    u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                    u"org.freedesktop.DBus"_s, u"NameHasOwner"_s);
                ask << name;
                const QDBusMessage answer = bus.call(ask, QDBus::Block, 2000);
                if (answer.type() == QDBusMessage::ReplyMessage &&
                    answer.arguments().value(0).toBool()) {
                    found = true;
                    break;
                }
            }
        }
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return found;
}
