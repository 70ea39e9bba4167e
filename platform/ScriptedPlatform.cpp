#include "platform/ScriptedPlatform.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>

using namespace Qt::Literals::StringLiterals;

CScriptedPlatform::CScriptedPlatform()
{
    SetPlatform(this);
}

CScriptedPlatform::~CScriptedPlatform()
{
    SetPlatform(nullptr);
}

void CScriptedPlatform::AnswerBoxes(std::initializer_list<int> answers)
{
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void CScriptedPlatform::DriveDialog(DialogDriver driver)
{
    m_drivers.push_back(std::move(driver));
}

void CScriptedPlatform::DrivePopup(PopupDriver driver)
{
    m_popupDrivers.push_back(std::move(driver));
}

int CScriptedPlatform::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                  unsigned flags)
{
    boxes.append({text, caption, flags, owner});
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

int CScriptedPlatform::RunModal(QDialog* dialog)
{
    modalRuns.append(QString::fromLatin1(dialog->metaObject()->className()));
    if (m_drivers.empty()) {
        dialog->setResult(IDCANCEL);
        dialog->hide();
        return IDCANCEL;
    }
    DialogDriver driver = std::move(m_drivers.front());
    m_drivers.pop_front();
    dialog->setResult(0);
    dialog->show();
    driver(dialog);
    if (dialog->isVisible()) {
        ++unfinishedDialogs;
        dialog->setResult(-1);
        dialog->hide();
    }
    return dialog->result();
}

void CScriptedPlatform::TrackPopupMenu(QMenu* menu, const QPoint& screenPoint)
{
    Popup popup{screenPoint, {}};
    for (const QAction* action : menu->actions())
        popup.texts.append(action->isSeparator() ? u"-"_s : action->text());
    popups.append(popup);
    if (m_popupDrivers.empty())
        return;
    PopupDriver driver = std::move(m_popupDrivers.front());
    m_popupDrivers.pop_front();
    menu->popup(screenPoint);
    driver(menu);
    menu->hide();
}

void CScriptedPlatform::OpenUrl(const QString& address)
{
    openedUrls.append(address);
}

void CScriptedPlatform::AnswerFiles(std::initializer_list<QString> paths)
{
    m_files.insert(m_files.end(), paths.begin(), paths.end());
}

void CScriptedPlatform::AnswerPrints(std::initializer_list<QString> pdfPaths)
{
    m_prints.insert(m_prints.end(), pdfPaths.begin(), pdfPaths.end());
}

QString CScriptedPlatform::GetSaveFileName(QWidget* owner, const QString& caption,
                                           const QString& suggested, const QString& filter)
{
    suggestedFiles.append(suggested);
    return GetOpenFileName(owner, caption, QFileInfo(suggested).path(), filter);
}

QString CScriptedPlatform::GetOpenFileName(QWidget* owner, const QString& caption,
                                           const QString& directory, const QString& filter)
{
    Q_UNUSED(owner);
    fileChoosers.append(caption);
    fileFilters.append(filter);
    startFolders.append(directory);
    if (m_files.empty())
        return {};
    QString path = m_files.front();
    m_files.pop_front();
    return path;
}

bool CScriptedPlatform::SetUpPrinter(QWidget* owner, QPrinter* printer)
{
    Q_UNUSED(owner);
    ++printDialogs;
    if (m_prints.empty())
        return false;
    const QString path = m_prints.front();
    m_prints.pop_front();
    if (path.isEmpty())
        return false;
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return true;
}
