#pragma once

#include "store/Recipe.h"
#include "store/RecipeRun.h"
#include "window/ToolDialog.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// "Apply Recipe": the recipe's steps, each with a check box, and the run of
// the ticked ones on the open file as one undoable step. Steps tied to rows of
// the recipe's own file are listed, unticked, and not run.
class RecipeDialog final : public ToolDialog {
    Q_OBJECT

public:
    RecipeDialog(QWidget* parent, CSVDBS& store, Recipe recipe);

    // What the last Apply did, for the status line; empty before.
    const QString& summary() const { return m_summary; }

private:
    void apply();
    std::vector<bool> chosenSteps() const;
    // Whether the recipe's headings and the file's agree, or the user agreed
    // to apply it by position; false to stop.
    bool settleColumns(replay::Columns& columns);
    void tellOutcome(const RecipeOutcome& outcome);

    Recipe m_recipe;
    QTreeWidget* m_steps;
    QPushButton* m_apply;
    QString m_summary;
};
