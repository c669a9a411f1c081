#include "tools/ToolDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

#include "app/AppTitle.h"
#include "app/CommandScope.h"
#include "app/WindowCommon.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"

ToolDialog::ToolDialog(QWidget* parent, CSVDBS& store, QString formName, const QString& caption)
    : QDialog(parent), m_store(store), m_formName(std::move(formName)), m_progress(new QLabel(this))
{
    setWindowTitle(caption);
    setModal(true);
    m_progress->setObjectName(QStringLiteral("lblProgress"));
}

void ToolDialog::applyLoadPattern()
{
    useWindowFont(this);
    applyDialogLoadPattern(this);
}

void ToolDialog::showProgress(std::int64_t done, std::int64_t total)
{
    m_progress->setText(QStringLiteral("Working on %1 of %2").arg(done).arg(total));
    CommandScope::pumpEvents();
}

void ToolDialog::runWork(const std::function<void(const ProgressCallback&)>& work)
{
    BusyPointer busy(this);
    CommandScope scope(this);
    const ProgressCallback progress = [this](std::int64_t done, std::int64_t total) { showProgress(done, total); };
    struct ClearAfter {
        QLabel* label;
        ~ClearAfter() { label->clear(); }
    } clear{m_progress};
    // The store's own long loops report too.
    const ProgressScope reporting(m_store, progress);
    work(progress);
}

void ToolDialog::tell(const QString& text) { prompter().message(text, appTitle(), Prompter::Icon::None); }

QPushButton* ToolDialog::makeButton(const QString& caption)
{
    auto* b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    b->setMinimumWidth(96);
    return b;
}

void ToolDialog::handOver(std::initializer_list<QAbstractButton*> buttons)
{
    for (QAbstractButton* b : buttons)
        installButtonRule(b, this);
}

void ToolDialog::arrowOver(std::initializer_list<QWidget*> surfaces)
{
    for (QWidget* s : surfaces)
        installSurfaceRule(s, this);
}
