#include "app/RecipeDialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/Prompter.h"
#include "store/CSVDBS.h"

namespace {

QString qText(const std::string& text) { return QString::fromStdString(text); }

QString headingsText(bool headings) { return headings ? QStringLiteral("a header line") : QStringLiteral("no header line"); }

} // namespace

RecipeDialog::RecipeDialog(QWidget* parent, CSVDBS& store, Recipe recipe)
    : ToolDialog(parent, store, QStringLiteral("RecipeDialog"), QStringLiteral("Apply Recipe")),
      m_recipe(std::move(recipe)), m_steps(new QTreeWidget(this)), m_apply(makeButton(QStringLiteral("&Apply")))
{
    auto* intro = new QLabel(this);
    intro->setObjectName(QStringLiteral("lblRecipe"));
    intro->setWordWrap(true);
    intro->setText(QStringLiteral("The recipe \u201c%1\u201d was made on a file with %2. Tick the steps to run on "
                                  "this file; they run as one step, which Undo takes back whole.")
                       .arg(qText(m_recipe.name), headingsText(m_recipe.headings)));

    m_steps->setObjectName(QStringLiteral("lstSteps"));
    m_steps->setRootIsDecorated(false);
    m_steps->setUniformRowHeights(true);
    m_steps->setHeaderLabels({QStringLiteral("Step"), QStringLiteral("Note")});
    m_steps->header()->setStretchLastSection(true);
    for (std::size_t i = 0; i < m_recipe.steps.size(); ++i) {
        const bool rowBound = isRowBound(m_recipe.steps[i]);
        auto* item = new QTreeWidgetItem(
            {QStringLiteral("%1. %2").arg(i + 1).arg(qText(m_recipe.label(i))),
             rowBound ? QStringLiteral("Changes particular rows of the recipe's own file: skipped") : QString()});
        item->setCheckState(0, rowBound ? Qt::Unchecked : Qt::Checked);
        if (rowBound)
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        m_steps->addTopLevelItem(item);
    }
    m_steps->resizeColumnToContents(0);
    m_steps->setMinimumSize(520, 240);

    m_apply->setObjectName(QStringLiteral("cmdApply"));
    m_apply->setDefault(true);
    QPushButton* cancel = makeButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_apply, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(m_apply, &QPushButton::clicked, this, &RecipeDialog::apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    handOver({m_apply, cancel});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_steps, 1);
    layout->addWidget(progressLabel());
    layout->addWidget(buttons);
    applyLoadPattern();
}

std::vector<bool> RecipeDialog::chosenSteps() const
{
    std::vector<bool> chosen;
    for (int i = 0; i < m_steps->topLevelItemCount(); ++i)
        chosen.push_back(m_steps->topLevelItem(i)->checkState(0) == Qt::Checked);
    return chosen;
}

bool RecipeDialog::settleColumns(replay::Columns& columns)
{
    columns = replay::Columns::ByHeading;
    if (m_recipe.headings == store().HeaderLine())
        return true;
    const bool yes = prompter().askYesNo(
        QStringLiteral("The recipe was made on a file with %1, and this file is read with %2, so its steps cannot "
                       "find their columns by name.\n\nApply it by column position: the first column for the first, "
                       "and so on?")
            .arg(headingsText(m_recipe.headings), headingsText(store().HeaderLine())),
        QStringLiteral("Apply Recipe"), Prompter::Icon::Question);
    columns = replay::Columns::ByPosition;
    return yes;
}

void RecipeDialog::apply()
{
    RecipeChoices choices;
    choices.chosen = chosenSteps();
    if (std::none_of(choices.chosen.begin(), choices.chosen.end(), [](bool on) { return on; })) {
        prompter().message(QStringLiteral("Tick at least one step to run."), windowTitle(), Prompter::Icon::Exclamation);
        return;
    }
    if (!settleColumns(choices.columns))
        return;
    choices.beforeStep = [this](std::size_t index, std::size_t done, std::size_t of) {
        progressLabel()->setText(
            QStringLiteral("Step %1 of %2: %3").arg(done + 1).arg(of).arg(qText(m_recipe.label(index))));
    };
    RecipeOutcome outcome;
    if (!runWork([&] { outcome = applyRecipe(store(), m_recipe, choices); })) {
        progressLabel()->clear();
        return;
    }
    tellOutcome(outcome);
    // Taken back or done, the run is over either way.
    outcome.applied() ? accept() : reject();
}

void RecipeDialog::tellOutcome(const RecipeOutcome& outcome)
{
    if (!outcome.applied()) {
        const std::size_t i = outcome.failedStep;
        prompter().message(
            QStringLiteral("Step %1, %2, cannot apply to this file: %3\n\n%4")
                .arg(i + 1)
                .arg(qText(m_recipe.label(i)), qText(outcome.failure),
                     outcome.takenBack ? QStringLiteral("Nothing of the recipe was applied.")
                                       : QStringLiteral("The steps before it stay applied, since the undo history "
                                                        "keeps nothing.")),
            windowTitle(), Prompter::Icon::Exclamation);
        return;
    }
    QStringList lines;
    std::size_t ran = 0;
    for (std::size_t i = 0; i < m_recipe.steps.size(); ++i) {
        const RecipeStepOutcome& step = outcome.steps[i];
        ran += step.state == RecipeStepOutcome::State::Done;
        if (step.state != RecipeStepOutcome::State::LeftOut)
            lines << qText(stepReport(m_recipe.label(i), m_recipe.steps[i], step));
    }
    m_summary = QStringLiteral("Applied the recipe \u201c%1\u201d").arg(qText(m_recipe.name));
    prompter().message(QStringLiteral("%1: %2 step(s).\n\n").arg(m_summary).arg(ran) + lines.join(QLatin1Char('\n')),
                       windowTitle(), Prompter::Icon::Information);
}
