#include "platform/QtPlatform.h"

#include "platform/InputMethodProbe.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

int CQtPlatform::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                            unsigned flags)
{
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QPushButton* pFirst = nullptr;
    QPushButton* pSecond = nullptr;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        pFirst = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
        pSecond = box.addButton(u"取消"_s, QMessageBox::RejectRole);
        box.setEscapeButton(pSecond);
        break;
    case MB_YESNO:
        pFirst = box.addButton(u"是(&Y)"_s, QMessageBox::YesRole);
        pSecond = box.addButton(u"否(&N)"_s, QMessageBox::NoRole);
        box.setEscapeButton(pSecond);
        break;
    default:
        pFirst = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
        box.setEscapeButton(pFirst);
        break;
    }
    // The second button is the default one when the flags say so (a
    // question whose safe answer is No).
    box.setDefaultButton((flags & MB_DEFMASK) == MB_DEFBUTTON2 && pSecond ? pSecond : pFirst);
    box.exec();
    const bool bFirst = box.clickedButton() == pFirst;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return bFirst ? IDOK : IDCANCEL;
    case MB_YESNO:
        return bFirst ? IDYES : IDNO;
    default:
        return IDOK;
    }
}

int CQtPlatform::RunModal(QDialog* dialog)
{
    return dialog->exec();
}

void CQtPlatform::TrackPopupMenu(QMenu* menu, const QPoint& screenPoint)
{
    menu->exec(screenPoint);
}

void CQtPlatform::OpenUrl(const QString& address)
{
    QUrl url = QUrl::fromUserInput(address);
    QDesktopServices::openUrl(url);
}

void CQtPlatform::Beep()
{
    QApplication::beep();
}

InputMethodState CQtPlatform::InputMethod()
{
    return CInputMethodProbe::Probe(CInputMethodProbe::Current());
}

QString CQtPlatform::GetSaveFileName(QWidget* owner, const QString& caption,
                                     const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
}

QString CQtPlatform::GetOpenFileName(QWidget* owner, const QString& caption,
                                     const QString& directory, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner, caption, directory, filter);
}

bool CQtPlatform::SetUpPrinter(QWidget* owner, QPrinter* printer)
{
    QPrintDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}
