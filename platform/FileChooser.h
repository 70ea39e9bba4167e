#pragma once

#include <QString>

class QWidget;

// The program's file choosers, through the platform seam: each starts in
// the folder where the last one ended (kept for this machine's user), and
// before any in the user's documents folder. filter is a QFileDialog filter.
namespace FileChooser {

// The path chosen, or an empty text when the user cancelled.
QString ChooseOpenFile(QWidget* owner, const QString& caption, const QString& filter);
// fileName is the name suggested, without a folder.
QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& fileName,
                       const QString& filter);
// Where the next chooser starts.
QString StartFolder();

} // namespace FileChooser
