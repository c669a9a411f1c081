#include "platform/Prompter.h"

#include <QFileInfo>
#include <QStringList>

namespace {

class CancellingPrompter final : public Prompter {
public:
    void message(const QString&, const QString&, Icon) override {}
    bool askYesNo(const QString&, const QString&, Icon) override { return false; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

CancellingPrompter g_cancelling;
Prompter* g_current = &g_cancelling;

QString patternVariants(const QString& patterns)
{
    QStringList out;
    for (const QString& p : patterns.split(';', Qt::SkipEmptyParts)) {
        const QString pattern = p.trimmed();
        if (pattern == "*.*" || pattern == "*") {
            out << "*";
            continue;
        }
        for (const QString& v : {pattern, pattern.toLower(), pattern.toUpper()})
            if (!out.contains(v))
                out << v;
    }
    return out.join(' ');
}

} // namespace

Prompter& prompter() { return *g_current; }

void installPrompter(Prompter* p) { g_current = p ? p : &g_cancelling; }

QString qtNameFilters(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patternVariants(parts[i + 1]));
    }
    return filters.join(";;");
}

const QString CsvOpenFilter = QStringLiteral(
    "CSV Files (*.csv)|*.csv|Text files (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt|All files (*)|*");

QString withFilterSuffix(const QString& name, const QString& pipeFilter)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    const QString pattern = pipeFilter.section('|', 1, 1).section(';', 0, 0).trimmed();
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.size() < 3 || pattern.indexOf('*', 1) >= 0)
        return name;
    return name + pattern.mid(1).toLower();
}
