#include "classroom/ClassCombo.h"

#include "attempts/ClassReport.h"
#include "classroom/ClassNames.h"
#include "platform/Dialog.h"
#include "users/DialogAsk.h"

#include <QComboBox>

void FillClassCombo(CDialog* dlg, const CSession& session, QComboBox* combo,
                    const std::optional<QString>& preferred, std::function<void()> then)
{
    AskForDialog<QStringList>(
        dlg, session, [](CDaoDatabase& own) { return LoadClasses(own); },
        [combo, preferred, then = std::move(then)](const QStringList& classes) {
            for (const QString& className : classes)
                combo->addItem(ClassDisplayName(className), className);
            const int chosen = preferred ? combo->findData(*preferred) : -1;
            combo->setCurrentIndex(chosen >= 0 ? chosen : combo->count() > 0 ? 0 : -1);
            then();
        },
        [dlg] { dlg->EndDialog(CDialog::IDCANCEL_RESULT); });
}

void FillSchoolAndClasses(QComboBox* combo, const QStringList& classes)
{
    combo->addItem(QStringLiteral("全校"), QString());
    for (const QString& className : classes)
        if (!className.isEmpty())
            combo->addItem(ClassDisplayName(className), className);
    combo->setCurrentIndex(0);
}
