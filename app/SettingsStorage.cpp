#include "app/SettingsStorage.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString Group = QStringLiteral("Tabvane Software");
} // namespace

QString SettingsStorage::filePath()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + QStringLiteral("/Varnhold/") + Group + QStringLiteral(".conf");
}

SettingsStorage& SettingsStorage::current()
{
    // Made anew when the environment names another file (as tests do).
    static std::unique_ptr<SettingsStorage> storage;
    const QString path = filePath();
    if (!storage || storage->m_path != path)
        storage.reset(new SettingsStorage(path));
    return *storage;
}

SettingsStorage::SettingsStorage(QString path) : m_path(std::move(path))
{
    const QFileInfo file(m_path);
    if (file.exists() && !file.isFile()) {
        noteProblem(QStringLiteral("it is not a regular file"));
        return;
    }
    m_file = std::make_unique<QSettings>(m_path, QSettings::NativeFormat);
    if (m_file->status() != QSettings::NoError)
        noteProblem(QStringLiteral("it cannot be read"));
}

SettingsStorage::~SettingsStorage() = default;

QVariant SettingsStorage::value(const QString& key, const QVariant& fallback) const
{
    if (!m_file)
        return m_memory.value(key, fallback);
    return m_file->value(Group + QLatin1Char('/') + key, fallback);
}

void SettingsStorage::setValue(const QString& key, const QVariant& value)
{
    if (!m_file) {
        m_memory.insert(key, value);
        return;
    }
    m_file->setValue(Group + QLatin1Char('/') + key, value);
    m_file->sync();
    if (m_file->status() != QSettings::NoError)
        noteProblem(QStringLiteral("it cannot be written"));
}

void SettingsStorage::clear()
{
    m_memory.clear();
    if (m_file) {
        m_file->clear();
        m_file->sync();
    }
}

void SettingsStorage::noteProblem(const QString& why)
{
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("Your settings (save options, recent files) are kept only until the program "
                                   "ends: %1 %2.")
                        .arg(QDir::toNativeSeparators(m_path), why);
}
