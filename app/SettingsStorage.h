#pragma once

#include <memory>

#include <QString>
#include <QVariant>

class QSettings;

// The one file the per-user settings live in, and what to do when it cannot
// be used: a settings file that is a pipe would hang the program at start,
// one that cannot be written would lose the recent files without a word.
// Then the settings are kept for this run only, and the window says so.
class SettingsStorage {
public:
    // The storage for the settings file as the environment names it now.
    static SettingsStorage& current();

    // $XDG_CONFIG_HOME/Varnhold/Tabvane Software.conf, or under ~/.config
    // when that is not set or not absolute (a relative one is ignored).
    static QString filePath();

    QVariant value(const QString& key, const QVariant& fallback) const;
    void setValue(const QString& key, const QVariant& value);
    void clear();

    // What went wrong, in a sentence; empty while all is well.
    const QString& problem() const { return m_problem; }

    ~SettingsStorage();

private:
    explicit SettingsStorage(QString path);
    void noteProblem(const QString& why);

    QString m_path;
    std::unique_ptr<QSettings> m_file; // null when the file cannot be read
    QVariantMap m_memory;              // used instead of the file
    QString m_problem;
};
