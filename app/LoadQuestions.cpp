#include "app/LoadQuestions.h"

#include <algorithm>

#include <QStringList>

#include "app/SaveSettings.h"
#include "app/StatusLine.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/read/SeparatorGuess.h"

namespace {

// The separator in words, with its sign where it has one ("comma (,)").
QString separatorName(const QString& separator)
{
    const QString name = SaveSettings::separatorName(separator);
    if (SaveSettings::indexOfSeparator(separator) < 0 || separator == QStringLiteral("	"))
        return name;
    return name + QStringLiteral(" (") + separator + QLatin1Char(')');
}

bool ask(const QString& text, const QString& title)
{
    return prompter().askYesNo(text, title, Prompter::Icon::Question);
}

} // namespace

LoadQuestions::LoadQuestions(CSVDBS& store, std::function<bool(CSVDBS&)> load, QString& currentSeparator)
    : m_store(store), m_load(std::move(load)), m_currentSeparator(currentSeparator)
{
}

bool LoadQuestions::askAfter(bool loaded)
{
    loaded = offerWestern(loaded);
    // Before the standard rule: the file's own lines explain what is wrong,
    // and a Yes here changes nothing beyond this file.
    loaded = offerLineEnds(loaded);
    loaded = offerSeparator(loaded);
    // Last: standard CSV may read the same lines whole, which is better than
    // filling them out.
    return offerFill(offerStandard(loaded));
}

QString LoadQuestions::westernQuestion()
{
    return QStringLiteral("This file is not in UTF-8: some of its characters cannot be read as UTF-8, "
                          "so they would show as \"\uFFFD\".\n\n"
                          "Read it as Western (Windows-1252)? Saving then writes it in Western (Windows-1252) "
                          "again.\n\nNo keeps its bytes exactly as they are.");
}

bool LoadQuestions::offerWestern(bool loaded)
{
    if (!m_store.LastLoad().notUtf8 || !ask(westernQuestion(), QStringLiteral("Western Text?")))
        return loaded;
    // A failed load leaves the store's contents as they were, so only the
    // setting has to go back.
    const FileEncoding before = m_store.Encoding();
    m_store.Encoding(FileEncoding::Windows1252);
    if (m_load(m_store))
        return true;
    m_store.Encoding(before);
    return loaded;
}

QString LoadQuestions::lineEndQuestion(const CSVDBS& store)
{
    const std::int64_t count = store.LastLoad().loneLineFeeds;
    const std::vector<std::int64_t>& first = store.LastLoad().firstLoneLineFeeds;
    if (count == 0 || first.empty())
        return {};
    QStringList listed;
    const std::size_t shown = count > 3 ? 2 : first.size();
    for (std::size_t i = 0; i < shown && i < first.size(); ++i)
        listed << QString::number(first[i]);
    QString lines;
    if (count == 1)
        lines = QStringLiteral("Line %1 ends").arg(listed.front());
    else if (count > 3)
        lines = QStringLiteral("Lines %1 and %2 more end").arg(listed.join(QStringLiteral(", "))).arg(count - 2);
    else
        lines = QStringLiteral("Lines %1 and %2 end").arg(listed.mid(0, listed.size() - 1).join(QStringLiteral(", ")),
                                                            listed.back());
    return lines + QStringLiteral(" in a line feed alone. Read each of those as a line end?");
}

bool LoadQuestions::offerLineEnds(bool loaded)
{
    const QString question = lineEndQuestion(m_store);
    if (question.isEmpty() || m_store.LoneLineFeedsEndLines() || !ask(question, QStringLiteral("Line Ends?")))
        return loaded;
    m_store.LoneLineFeedsEndLines(true);
    if (m_load(m_store))
        return true;
    m_store.LoneLineFeedsEndLines(false);
    return loaded;
}

QString LoadQuestions::separatorQuestion(const QString& separator, int values)
{
    return QStringLiteral("This file loads as one single column with the separator in force, but its first "
                          "lines all split into %1 values at the %2.\n\n"
                          "Open it with the %2 as separator? This also sets the separator in Save Options, "
                          "for the files you open and save from now on.")
        .arg(values)
        .arg(separatorName(separator));
}

bool LoadQuestions::offerSeparator(bool loaded)
{
    if (!loaded || m_store.FieldCount() != 1)
        return loaded;
    const SeparatorGuess guess = guessSeparator(fileHead(m_store.FileName()), m_store.StandardQuoting());
    const std::string& found = guess.separator;
    if (found.empty() || found == m_store.Seperator())
        return loaded;
    const QString separator = QString::fromStdString(found);
    const int values = static_cast<int>(guess.values);
    if (!ask(separatorQuestion(separator, values), QStringLiteral("Separator?")))
        return loaded;
    const std::string oldSeparator = m_store.Seperator();
    m_store.Seperator(found);
    if (!m_load(m_store)) {
        m_store.Seperator(oldSeparator);
        return loaded;
    }
    SaveSettings::setSeparatorIndex(SaveSettings::indexOfSeparator(separator));
    m_currentSeparator = separator;
    return true;
}

QString LoadQuestions::standardQuestion(const CSVDBS& store, bool loaded)
{
    const QString now = loaded
        ? QStringLiteral("Read with the simple rule, values beyond the last field are left out on %1 line(s).")
              .arg(store.IgnoredLines())
        : QStringLiteral("Read with the simple rule, it fails: %1").arg(QString::fromStdString(store.LastFileError()));
    return QStringLiteral("This file looks like standard CSV, as spreadsheet programs write it: quoted values "
                          "may hold separators and line breaks. Read so, every record has the same number of "
                          "values.\n%1\n\n"
                          "Open it as standard CSV? This also turns on \"Standard CSV\" in Save Options, for the "
                          "files you open and save from now on.")
        .arg(now);
}

bool LoadQuestions::offerStandard(bool loaded)
{
    if (m_store.StandardQuoting())
        return loaded;
    const bool wrong = loaded ? m_store.IgnoredLines() > 0 : m_store.LastLoad().tooFewValues;
    if (!wrong)
        return loaded;
    CSVDBS probe; // one more pass, only now that the simple rule found something wrong
    probe.FileName(m_store.FileName());
    probe.Seperator(m_store.Seperator());
    probe.HeaderLine(m_store.HeaderLine());
    probe.Encoding(m_store.Encoding());
    probe.StandardQuoting(true);
    if (!m_load(probe) || probe.IgnoredLines() > 0)
        return loaded;
    if (!ask(standardQuestion(m_store, loaded), QStringLiteral("Standard CSV?")))
        return loaded;
    m_store.StandardQuoting(true);
    if (!m_load(m_store)) {
        m_store.StandardQuoting(false);
        return loaded;
    }
    SaveSettings::setStandardQuoting(true);
    return true;
}

QString LoadQuestions::shortLinesQuestion(const CSVDBS& store)
{
    const CSVDBS::LoadFindings& found = store.LastLoad();
    if (found.shortLines == 1)
        return QStringLiteral("Line %1 has fewer values than there are fields. Open it with the missing value(s) empty?")
            .arg(found.firstShortLine);
    return QStringLiteral("Line %1 and %2 more have fewer values than there are fields. Open them with the missing "
                          "values empty?")
        .arg(found.firstShortLine)
        .arg(groupedCount(found.shortLines - 1));
}

bool LoadQuestions::offerFill(bool loaded)
{
    // A No keeps the failure, and its reason, as it was.
    if (loaded || m_store.FillShortLines() || !m_store.LastLoad().tooFewValues
        || !ask(shortLinesQuestion(m_store), QStringLiteral("Short Lines?")))
        return loaded;
    m_store.FillShortLines(true);
    if (m_load(m_store))
        return true;
    m_store.FillShortLines(false);
    return loaded;
}

QString LoadQuestions::filledMessage(const CSVDBS& store)
{
    const std::int64_t lines = store.FilledLines();
    if (lines == 0)
        return {};
    return lines == 1 ? QStringLiteral("1 short line filled out with empty values")
                      : QStringLiteral("%1 short lines filled out with empty values").arg(groupedCount(lines));
}

QString LoadQuestions::leftOutMessage(const CSVDBS& store)
{
    const std::int64_t lines = store.IgnoredLines();
    if (lines == 0)
        return {};
    const QString which = lines == 1
        ? QStringLiteral("Line %1 of this file has more values than there are fields.").arg(store.FirstIgnoredLine())
        : QStringLiteral("%1 lines of this file have more values than there are fields; the first is line %2.")
              .arg(lines)
              .arg(store.FirstIgnoredLine());
    return which + QStringLiteral("\nThe values beyond the last field are not shown and will not be saved.");
}

QString LoadQuestions::saveWithoutQuestion(const CSVDBS& store)
{
    return QStringLiteral("When this file was opened, the values beyond the last field were left out on %1 "
                          "line(s), the first being line %2. Saving writes the file without them, and they are "
                          "lost.\n\nSave without them?")
        .arg(store.IgnoredLines())
        .arg(store.FirstIgnoredLine());
}
