#include "tools/ToolDialog.h"

#include <algorithm>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <QTreeWidget>

#include "window/LongWork.h"
#include "window/WindowCommon.h"
#include "store/CSVDBS.h"
#include "tools/ToolLayout.h"

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
    // A frame's size hint ignores its caption as the skin draws it, so a long
    // caption would be cut off at the frame's right edge.
    for (QGroupBox* frame : findChildren<QGroupBox*>()) {
        const int captionWidth = frame->fontMetrics().horizontalAdvance(frame->title()) + 32;
        frame->setMinimumWidth(std::max(frame->minimumWidth(), captionWidth));
    }
}

void ToolDialog::runWork(const std::function<void(const ProgressCallback&)>& work)
{
    const ProgressCallback progress = workProgressIn(m_progress);
    // The store's own long loops report too.
    const LongWork running(this, m_store, m_progress, progress);
    work(progress);
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
