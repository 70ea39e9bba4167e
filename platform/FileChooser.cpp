#include "platform/FileChooser.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace FileChooser {

namespace {

const QString Key = u"files/lastFolder"_s;

QString Remember(const QString& path)
{
    if (!path.isEmpty())
        QSettings().setValue(Key, QFileInfo(path).absolutePath());
    return path;
}

} // namespace

QString StartFolder()
{
    const QString last = QSettings().value(Key).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString ChooseOpenFile(QWidget* owner, const QString& caption, const QString& filter)
{
    return Remember(Platform().GetOpenFileName(owner, caption, StartFolder(), filter));
}

QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& fileName,
                       const QString& filter)
{
    return Remember(
        Platform().GetSaveFileName(owner, caption, QDir(StartFolder()).filePath(fileName), filter));
}

} // namespace FileChooser
