#include "app/SaveSettings.h"

#include <QSettings>

namespace {

const QString Organisation = QStringLiteral("Varnhold");
const QString Group = QStringLiteral("Tabvane Software");
const QString SeparatorKey = QStringLiteral("Separator");
const QString OtherSeparatorKey = QStringLiteral("Other Separator");
const QString SaveQuotesKey = QStringLiteral("Save Quotes");
const QString StandardQuotingKey = QStringLiteral("Standard Quoting");

QVariant read(const QString& key, const QString& fallback)
{
    QSettings settings(Organisation, Group);
    settings.beginGroup(Group);
    return settings.value(key, fallback);
}

void write(const QString& key, const QString& value)
{
    QSettings settings(Organisation, Group);
    settings.beginGroup(Group);
    settings.setValue(key, value);
}

} // namespace

namespace SaveSettings {

int separatorIndex()
{
    bool ok = false;
    const int index = read(SeparatorKey, QStringLiteral("0")).toString().trimmed().toInt(&ok);
    if (!ok || index < 0 || index > 4)
        return 0;
    // "Other" with nothing stored for it would be an empty separator too.
    return index == 4 && otherSeparator().isEmpty() ? 0 : index;
}

void setSeparatorIndex(int index) { write(SeparatorKey, QString::number(index)); }

QString otherSeparator() { return read(OtherSeparatorKey, QStringLiteral("-")).toString(); }

void setOtherSeparator(const QString& text) { write(OtherSeparatorKey, text); }

bool saveQuotes() { return read(SaveQuotesKey, QStringLiteral("0")).toString().trimmed().toInt() == 1; }

void setSaveQuotes(bool on) { write(SaveQuotesKey, on ? QStringLiteral("1") : QStringLiteral("0")); }

bool standardQuoting() { return read(StandardQuotingKey, QStringLiteral("0")).toString().trimmed().toInt() == 1; }

void setStandardQuoting(bool on) { write(StandardQuotingKey, on ? QStringLiteral("1") : QStringLiteral("0")); }

int indexOfSeparator(const QString& separator)
{
    for (int index = 0; index < 4; ++index)
        if (separatorFor(index, QString()) == separator)
            return index;
    return -1;
}

QString separatorFor(int index, const QString& other)
{
    switch (index) {
    case 0:
        return QStringLiteral(",");
    case 1:
        return QStringLiteral(";");
    case 2:
        return QStringLiteral("\t");
    case 3:
        return QStringLiteral("|");
    case 4:
        return other;
    default:
        return QString();
    }
}

QString storedSeparator() { return separatorFor(separatorIndex(), otherSeparator()); }

} // namespace SaveSettings
