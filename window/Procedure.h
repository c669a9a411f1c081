#pragma once

#include <QString>

// The report every user-facing procedure shows when one of its steps fails,
// after which the procedure goes on with its next step.
//
//     Procedure p("Form1", "PushButton6_Click");
//     p.step([&] { store.Seperator(separator); });
//     p.step([&] { written = store.WriteFile(quotes); });
//
// Steps are numbered 100, 102, 104 ... within the procedure, so the number in
// a report points at the step that failed.
class Procedure {
public:
    Procedure(QString window, QString name) : m_window(std::move(window)), m_name(std::move(name)) {}

    // Runs one step; true when it finished, false when it failed and was reported.
    template <typename Step>
    bool step(Step&& body)
    {
        const int line = m_nextLine;
        m_nextLine += 2;
        try {
            body();
            return true;
        } catch (...) {
            report(line);
            return false;
        }
    }

private:
    void report(int line) const;

    QString m_window;
    QString m_name;
    int m_nextLine = 100;
};

// Reports the exception being handled that reached the event loop, naming
// the object that was handling an event.
void reportEscapedError(const QString& where);

// The text of the report for an error described by `description`.
QString errorReportText(const QString& description, const QString& window, const QString& procedure, int line);

// The description of the exception being handled, in words a user can pass on.
QString currentErrorDescription();

// The support address named in every error report (set at build time).
QString supportEmail();
// The contact page named by Help (set at build time).
QString contactPage();
