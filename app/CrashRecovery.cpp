#include "app/CrashRecovery.h"

#include <QFile>
#include <QTimer>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/journal/FileCheck.h"
#include "store/journal/JournalFolder.h"
#include "store/journal/JournalFormat.h"
#include "store/journal/JournalReplay.h"
#include "store/journal/StoreJournal.h"

namespace {

const QString Title = QStringLiteral("Recover Changes");

QString shown(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

void say(const QString& text) { prompter().message(text, Title, Prompter::Icon::Information); }

bool ask(const QString& text) { return prompter().askYesNo(text, Title, Prompter::Icon::Question); }

QString stepsText(std::size_t n) { return n == 1 ? QStringLiteral("1 step") : QStringLiteral("%1 steps").arg(n); }

// What came back, and what did not.
QString recoveredText(const journal::Contents& contents, const journal::Replayed& replayed, const QString& file,
                      const QString& kept)
{
    QString text = QStringLiteral("Recovered %1 of the changes to %2. They are not saved yet.")
                       .arg(stepsText(replayed.steps), file);
    if (replayed.failedAt > 0) {
        const journal::Entry& failed = contents.entries[replayed.failedAt - 1];
        const QString name = failed.kind == journal::Kind::Undo ? QStringLiteral("Undo")
                                                                : QString::fromStdString(failed.operation.name);
        text += QStringLiteral("\n\nStep %1 (%2) could not be made again: %3 It and the %4 after it are lost; "
                               "the record of them is kept in %5.")
                    .arg(replayed.failedAt).arg(name, QString::fromStdString(replayed.error),
                         stepsText(contents.steps() - replayed.failedAt), kept);
    }
    if (contents.torn)
        text += QStringLiteral("\n\nThe last step was cut off as it was written and is lost.");
    if (contents.lostTrack)
        text += QStringLiteral("\n\nWhat was done after an undo back past the last save was not kept and is lost.");
    return text;
}

// Offers one journal; true when its changes were recovered into `window`.
bool offer(Form1& window, journal::LeftJournal& left)
{
    const journal::Contents contents = journal::readFile(left.path());
    const QString kept = shown(left.path());
    if (contents.problem != journal::Contents::Problem::None) {
        say(QStringLiteral("A record of changes Tabvane did not save, %1, cannot be used. %2 It is kept as it is.")
                .arg(kept, QString::fromStdString(contents.error)));
        return false;
    }
    const QString file = shown(contents.base.file.path);
    if (contents.steps() == 0) {
        // Ended before its first step was whole: there is nothing to lose.
        if (!contents.torn)
            left.remove();
        else
            say(QStringLiteral("Changes to %1 were not saved when Tabvane last closed, but their record was cut off "
                               "before its first step was whole, so nothing can be recovered. It is kept in %2.")
                    .arg(file, kept));
        return false;
    }
    const journal::FileState state = journal::stateNow(contents);
    if (state == journal::FileState::Gone) {
        say(QStringLiteral("Changes to %1 were not saved when Tabvane last closed, but the file is no longer there, "
                           "so they cannot be recovered. Their record is kept in %2.").arg(file, kept));
        return false;
    }
    bool recover = ask(QStringLiteral("Changes to %1 were not saved when Tabvane last closed. Recover them?").arg(file));
    const bool changed = state == journal::FileState::Changed;
    if (recover && changed)
        recover = ask(QStringLiteral("%1 has changed since those changes were made, so they may no longer fit it. "
                                     "Recover them onto the file as it is now, and save the result to a new file?")
                          .arg(file));
    if (!recover) {
        if (ask(QStringLiteral("Discard the unsaved changes to %1? No keeps them, to be offered again at the next start.")
                    .arg(file)))
            left.remove();
        return false;
    }
    journal::Replayed replayed;
    if (!window.openAsRead(file, contents.base.choices, [&](CSVDBS& store) { replayed = journal::replay(store, contents); }))
        return false;
    say(recoveredText(contents, replayed, file, kept));
    if (replayed.failedAt == 0) {
        // The window's own journal holds the steps now; the old one may go once it is on disk.
        if (StoreJournal* own = window.crashJournal())
            own->sync();
        left.remove();
    }
    if (changed)
        window.saveRecoveredToNewFile();
    return true;
}

} // namespace

bool offerRecovery(Form1& window, const std::string& folder)
{
    for (journal::LeftJournal& left : journal::leftBehind(folder))
        if (offer(window, left))
            return true;
    return false;
}

void recoverThenOpen(Form1& window, const QString& file)
{
    QTimer::singleShot(0, &window, [&window, file] {
        const bool recovered = offerRecovery(window, journal::folder());
        if (recovered && !file.isEmpty()) {
            // Opening the file asks first whether the recovered changes may go.
            window.openDroppedFile(file);
            openWhenStarted(window, QString());
        } else {
            openWhenStarted(window, file);
        }
    });
}
