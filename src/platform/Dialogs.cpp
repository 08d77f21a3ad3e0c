#include "platform/Dialogs.h"

#include <QDir>

SaveOutcome saveOrAsk(Dialogs& dialogs, const SaveAtLeave& save)
{
    QString error;
    if (save.writeTo(save.path, &error))
        return SaveOutcome::Saved;
    return askAfterFailedSave(dialogs, save, error);
}

SaveOutcome askAfterFailedSave(Dialogs& dialogs, const SaveAtLeave& save, QString error)
{
    for (;;) {
        const FailedSaveAnswer answer =
            dialogs.failedSave(error, save.lost, QDir::toNativeSeparators(save.path), save.filter);
        switch (answer.choice) {
        case FailedSaveChoice::TryAgain:
            if (save.writeTo(save.path, &error))
                return SaveOutcome::Saved;
            break;
        case FailedSaveChoice::SaveElsewhere:
            if (!answer.elsewhere.isEmpty() && save.writeTo(answer.elsewhere, &error))
                return SaveOutcome::SavedElsewhere;
            break;
        case FailedSaveChoice::LeaveUnsaved:
            return SaveOutcome::LeftUnsaved;
        case FailedSaveChoice::Stay:
            return SaveOutcome::Stayed;
        }
    }
}
