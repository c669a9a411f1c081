#pragma once

#include <QString>

// Every question the program puts to the user goes through this one interface:
// message boxes, Yes/No questions, input boxes and file dialogs. The desktop
// implementation shows real dialogs; tests install a scripted one and run
// without a screen.
class Prompter {
public:
    enum class Icon { None, Question, Exclamation, Information };

    virtual ~Prompter() = default;

    virtual void message(const QString& text, const QString& title, Icon icon) = 0;
    // True for Yes.
    virtual bool askYesNo(const QString& text, const QString& title, Icon icon) = 0;
    // Cancel and an empty answer both give empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& proposed) = 0;
    // Filters use the "Description|pattern|Description|pattern" form; an empty
    // result means the user cancelled.
    virtual QString openFileName(const QString& title, const QString& filter,
                                 const QString& initialFolder) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter,
                                 const QString& initialFolder) = 0;
};

// The prompter in force. Until one is installed every question is answered as
// if the user had cancelled it, so nothing headless can ever block on a dialog.
Prompter& prompter();
// Installs `p` (not owned); nullptr goes back to the cancelling default.
void installPrompter(Prompter* p);

// Converts "CSV Files|*.CSV|All Files|*.*" into a Qt name filter list. File
// names on Linux are case-sensitive, so each pattern also matches its lower
// and upper case spelling, and "*.*" means every file.
QString qtNameFilters(const QString& pipeFilter);

// The filter of every dialog that opens a CSV file: CSV files first, then the
// other text files such a file is often named as, then every file.
extern const QString CsvOpenFilter;

// `name` with the suffix of the filter's first pattern ("*.csv" gives
// ".csv") when it has no suffix of its own; unchanged otherwise.
QString withFilterSuffix(const QString& name, const QString& pipeFilter);
