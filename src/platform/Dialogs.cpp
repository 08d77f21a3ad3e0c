#include "platform/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

// A save still unwritten and why.
struct Unwritten {
    qsizetype index;
    QString error;
};

// Where each file goes in the folder: its own name, unless an earlier file
// of the batch took it ("defaulttable.txt", then "defaulttable (2).txt").
QStringList namesInFolder(const QString& folder, const QList<SaveAtLeave>& saves,
                          const QList<Unwritten>& unwritten)
{
    QStringList targets;
    QSet<QString> taken;
    for (const Unwritten& u : unwritten) {
        const QFileInfo own(saves[u.index].path);
        QString name = own.fileName();
        for (int n = 2; taken.contains(name.toLower()); ++n) {
            name = own.suffix().isEmpty() ? QStringLiteral("%1 (%2)").arg(own.fileName()).arg(n)
                                          : QStringLiteral("%1 (%2).%3")
                                                .arg(own.completeBaseName())
                                                .arg(n)
                                                .arg(own.suffix());
        }
        taken.insert(name.toLower());
        targets.append(QDir::toNativeSeparators(QDir(folder).filePath(name)));
    }
    return targets;
}

// Files of the folder a save elsewhere would replace: only with the user's word.
bool mayReplace(Dialogs& dialogs, const QString& folder, const QStringList& targets)
{
    QStringList held;
    for (const QString& target : targets) {
        if (QFileInfo::exists(target))
            held.append(QFileInfo(target).fileName());
    }
    if (held.isEmpty())
        return true;
    return dialogs.confirm(
        QStringLiteral("The folder %1 already holds %2.\nDo you want to replace %3?")
            .arg(QDir::toNativeSeparators(folder), held.join(QStringLiteral(", ")),
                 held.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
}

} // namespace

QList<SaveOutcome> saveAllOrAsk(Dialogs& dialogs, const QList<SaveAtLeave>& saves)
{
    QList<SaveOutcome> outcomes(saves.size(), SaveOutcome::Stayed);
    const auto settle = [&](qsizetype index, SaveOutcome outcome) {
        outcomes[index] = outcome;
        if (saves[index].done)
            saves[index].done(outcome);
    };
    QList<Unwritten> unwritten;
    for (qsizetype i = 0; i < saves.size(); ++i) {
        QString error = saves[i].failedWith;
        if (error.isEmpty() && saves[i].writeTo(saves[i].path, &error))
            settle(i, SaveOutcome::Saved);
        else
            unwritten.append({i, error});
    }
    // Writes each unwritten save to its target; those that fail stay, with
    // the new reason.
    const auto writeEach = [&](const QStringList& targets, SaveOutcome outcome) {
        QList<Unwritten> still;
        for (qsizetype k = 0; k < unwritten.size(); ++k) {
            Unwritten u = unwritten[k];
            if (saves[u.index].writeTo(targets[k], &u.error))
                settle(u.index, outcome);
            else
                still.append(u);
        }
        unwritten = still;
    };
    while (!unwritten.isEmpty()) {
        QList<FailedFile> files;
        for (const Unwritten& u : std::as_const(unwritten)) {
            const SaveAtLeave& save = saves[u.index];
            files.append({u.error, save.lost, QDir::toNativeSeparators(save.path), save.filter});
        }
        const FailedSaveAnswer answer = dialogs.failedSave(files);
        switch (answer.choice) {
        case FailedSaveChoice::TryAgain: {
            QStringList own;
            for (const Unwritten& u : std::as_const(unwritten))
                own.append(saves[u.index].path);
            writeEach(own, SaveOutcome::Saved);
            break;
        }
        case FailedSaveChoice::SaveElsewhere: {
            if (answer.elsewhere.isEmpty())
                break;
            if (unwritten.size() == 1) {
                writeEach({answer.elsewhere}, SaveOutcome::SavedElsewhere);
                break;
            }
            const QStringList targets = namesInFolder(answer.elsewhere, saves, unwritten);
            if (mayReplace(dialogs, answer.elsewhere, targets))
                writeEach(targets, SaveOutcome::SavedElsewhere);
            break;
        }
        case FailedSaveChoice::LeaveUnsaved:
            for (const Unwritten& u : std::as_const(unwritten))
                settle(u.index, SaveOutcome::LeftUnsaved);
            unwritten.clear();
            break;
        case FailedSaveChoice::Stay:
            return outcomes;
        }
    }
    return outcomes;
}

SaveOutcome saveOrAsk(Dialogs& dialogs, const SaveAtLeave& save)
{
    return saveAllOrAsk(dialogs, {save}).first();
}

SaveOutcome askAfterFailedSave(Dialogs& dialogs, SaveAtLeave save, QString error)
{
    save.failedWith = std::move(error);
    return saveOrAsk(dialogs, save);
}
