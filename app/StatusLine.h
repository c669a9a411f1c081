#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include "store/read/TextEncoding.h"
#include "window/LongWork.h"

class QAbstractButton;
class QLabel;
class QToolButton;
class QProgressBar;

// What the status line says about the open file and the rules it is read and
// written with.
struct FileFacts {
    std::int64_t rows = 0;
    int columns = 0;
    QString separator;
    bool quoted = false;
    // Quoted values may hold separators and line breaks.
    bool standardQuoting = false;
    FileEncoding encoding = FileEncoding::Utf8;
    bool byteOrderMark = false;
    bool lineFeedEnds = false;
    bool loaded = false;
    // The settings cannot be kept beyond this run.
    bool settingsForThisRun = false;
};

// One line of facts: "1,000,000 rows · 8 columns · Separator: comma · ...",
// then "Standard CSV" when that rule is on, the encoding and the line ends.
QString formatFileFacts(const FileFacts& facts);

// 1234567 as "1,234,567", as every count the window reports.
QString groupedCount(std::int64_t n);

// The counts an operation's report compares before and after.
struct DataCounts {
    std::int64_t rows = 0;
    int columns = 0;
};

// What one step did, in a few words: "Removed 150,593 duplicate rows",
// "Replaced 1,204 values", "Sorted 1,000,000 rows by City", or the step's
// name and what changed.
QString reportStep(const std::string& stepName, const DataCounts& before, const DataCounts& after,
                   std::int64_t valuesChanged, const QString& sortedBy);

// The line under the buttons: the file's facts, what the last operation did,
// and a progress bar while a long operation runs.
class StatusLine final : public QWidget, public WorkWatcher {
public:
    explicit StatusLine(QWidget* parent);

    // `detail` shows when the pointer rests on the facts.
    void showFacts(const QString& facts, const QString& detail = {});
    void say(const QString& message);
    QString facts() const;
    QString message() const;

    // A long operation starts; the bar shows once it has run half a second.
    void startWork() override;
    void progress(std::int64_t done, std::int64_t total) override;
    void endWork(bool cancelled) override;
    bool progressShown() const;
    // A button after the message ("Show All Rows") while what it undoes
    // holds; withdrawn by withdrawAction().
    void offerAction(const QString& caption, std::function<void()> act);
    void withdrawAction();
    QAbstractButton* action() const;

private:
    QLabel* m_facts;
    QLabel* m_message;
    QToolButton* m_action;
    std::function<void()> m_act;
    QProgressBar* m_bar;
    QElapsedTimer m_work;
};
