#include "app/SaveSettings.h"

#include "app/SettingsStorage.h"

namespace {

const QString SeparatorKey = QStringLiteral("Separator");
const QString OtherSeparatorKey = QStringLiteral("Other Separator");
const QString SaveQuotesKey = QStringLiteral("Save Quotes");
const QString StandardQuotingKey = QStringLiteral("Standard Quoting");
const QString RecentFilesKey = QStringLiteral("Recent Files");
const QString WindowGeometryKey = QStringLiteral("Window Geometry");

QVariant read(const QString& key, const QVariant& fallback) { return SettingsStorage::current().value(key, fallback); }

void write(const QString& key, const QVariant& value) { SettingsStorage::current().setValue(key, value); }

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

QString separatorName(const QString& separator)
{
    static const char* const names[] = {"comma", "semicolon", "tab", "pipe"};
    const int index = indexOfSeparator(separator);
    if (index >= 0)
        return QString::fromLatin1(names[index]);
    if (separator.isEmpty())
        return QStringLiteral("none");
    return QLatin1Char('"') + separator + QLatin1Char('"');
}

QString storedSeparator() { return separatorFor(separatorIndex(), otherSeparator()); }

namespace {
const QString& keyText(Key key)
{
    switch (key) {
    case Key::Separator:
        return SeparatorKey;
    case Key::OtherSeparator:
        return OtherSeparatorKey;
    case Key::StandardQuoting:
        return StandardQuotingKey;
    case Key::SaveQuotes:
        break;
    }
    return SaveQuotesKey;
}
} // namespace

QString storedText(Key key) { return read(keyText(key), QString()).toString(); }

void storeText(Key key, const QString& text) { write(keyText(key), text); }

void clearAll() { SettingsStorage::current().clear(); }
QStringList recentFiles() { return read(RecentFilesKey, QStringList()).toStringList(); }

void setRecentFiles(const QStringList& files) { write(RecentFilesKey, files); }

QByteArray windowGeometry() { return read(WindowGeometryKey, QByteArray()).toByteArray(); }

void setWindowGeometry(const QByteArray& geometry) { write(WindowGeometryKey, geometry); }

} // namespace SaveSettings
