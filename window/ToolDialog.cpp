#include "window/ToolDialog.h"


#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

#include <QTreeWidget>

#include "store/CSVDBS.h"
#include "window/ToolLayout.h"
#include "window/DialogSetup.h"
#include "window/LongWork.h"
#include "window/PointerRules.h"

ToolDialog::ToolDialog(QWidget* parent, CSVDBS& store, QString formName, const QString& caption)
    : QDialog(parent), m_store(store), m_formName(std::move(formName)), m_progress(new QLabel(this))
{
    setWindowTitle(caption);
    setModal(true);
    m_progress->setObjectName(QStringLiteral("lblProgress"));
}

void ToolDialog::applyLoadPattern() { setUpDialog(this); }

bool ToolDialog::runWork(const std::function<void()>& work) { return LongWork::run(this, m_progress, &m_store, work); }

void ToolDialog::runWorkThenAccept(Procedure& p, const std::function<void()>& work)
{
    bool cancelled = false;
    p.step([&] { cancelled = !runWork(work); });
    if (!cancelled)
        accept();
}

QTreeWidget* ToolDialog::makeColumnList(QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumHeight(px(this, 3600));
    return list;
}

void ToolDialog::fillColumnList(QTreeWidget* list, bool tickable)
{
    Procedure p = procedure(QStringLiteral("loadColumns"));
    std::vector<std::string> names;
    p.step([&] { names = m_store.GetFieldList(); });
    p.step([&] {
        list->setHeaderLabels({QStringLiteral(" ")});
        list->setColumnWidth(0, px(this, 5550));
        list->setMinimumWidth(px(this, 5550) + 24);
    });
    p.step([&] { list->clear(); });
    p.step([&] {
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(names.size()));
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto* item = new QTreeWidgetItem({QString::fromStdString(names[i])});
            item->setData(0, FieldRole, static_cast<int>(i + 1));
            if (tickable)
                item->setCheckState(0, Qt::Unchecked);
            items.push_back(item);
        }
        list->addTopLevelItems(items);
    });
}

QPushButton* ToolDialog::makeButton(const QString& caption) { return dialogButton(this, caption); }

void ToolDialog::handOver(std::initializer_list<QAbstractButton*> buttons) { ::handOver(this, buttons); }

void ToolDialog::arrowOver(std::initializer_list<QWidget*> surfaces) { ::arrowOver(this, surfaces); }
