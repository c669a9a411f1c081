#include "window/Procedure.h"

#include <exception>
#include <new>

#include "platform/Prompter.h"

#ifndef TABVANE_SUPPORT_EMAIL
#define TABVANE_SUPPORT_EMAIL "support@example.com"
#endif
#ifndef TABVANE_CONTACT_PAGE
#define TABVANE_CONTACT_PAGE "https://www.example.com/contact"
#endif

QString supportEmail() { return QStringLiteral(TABVANE_SUPPORT_EMAIL); }

QString contactPage() { return QStringLiteral(TABVANE_CONTACT_PAGE); }

QString errorReportText(const QString& description, const QString& window, const QString& procedure, int line)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in Tabvane2021/08/31.") + window
           + QLatin1Char('.') + procedure + QLatin1Char(' ') + QStringLiteral("at line ")
           + QString::number(line) + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
           + supportEmail();
}

QString currentErrorDescription()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void reportEscapedError(const QString& where)
{
    // No step numbers here: the line of a handler is not known.
    prompter().message(errorReportText(currentErrorDescription(), where, QStringLiteral("event"), 0),
                       QStringLiteral("Application Error"), Prompter::Icon::Exclamation);
}

void Procedure::report(int line) const
{
    prompter().message(errorReportText(currentErrorDescription(), m_window, m_name, line),
                       QStringLiteral("Application Error"), Prompter::Icon::Exclamation);
}
