// The main window's column profile: the panel beside the grid, the rows its
// facet list chooses, and its quick fixes.
#include "app/Form1.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLocale>
#include <QTableView>

#include "app/GridModel.h"
#include "app/ProfilePanel.h"
#include "app/StatusLine.h"
#include "store/CSVDBS.h"
#include "store/ColumnFixes.h"
#include "window/CommandScope.h"
#include "window/Procedure.h"

namespace {

// The panel's width in twips as the window was designed: about a third of it.
constexpr int PanelTwips = 4800;

} // namespace

int Form1::profileWidth() const { return m_profilePanel && !m_profilePanel->isHidden() ? px(PanelTwips) : 0; }

void Form1::createProfilePanel()
{
    m_profilePanel = new ProfilePanel(m_page, *m_store);
    m_profilePanel->hide();
    m_profilePanel->onFacet = [this](int field, std::vector<std::string> values) { showOnlyRows(field, std::move(values)); };
    m_profilePanel->onFix = [this](int field, ProfilePanel::Fix fix) { applyQuickFix(field, static_cast<int>(fix)); };
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { followCurrentColumn(); });
}

void Form1::stopProfile()
{
    if (m_profilePanel)
        m_profilePanel->stop();
}

void Form1::ColumnProfile_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("ColumnProfile_Click"));
    if (!m_profilePanel)
        createProfilePanel();
    const bool show = m_profilePanel->isHidden();
    const int panel = px(PanelTwips);
    m_profileAction->setChecked(show);
    m_profilePanel->setVisible(show);
    updateMinimumSize();
    if (!isMaximized() && !isFullScreen())
        resize(width() + (show ? panel : -panel), height());
    if (show) {
        followCurrentColumn();
    } else {
        m_profilePanel->stop();
        if (m_grid->filtered())
            showOnlyRows(0, {});
    }
    layoutControls();
}

void Form1::followCurrentColumn()
{
    if (!m_profilePanel || m_profilePanel->isHidden())
        return;
    const int column = std::max(0, ListView1->currentIndex().column());
    m_profilePanel->showColumn(column + 1, m_grid->heading(column));
}

void Form1::showOnlyRows(int field, std::vector<std::string> values)
{
    if (CommandScope::running(this))
        return;
    m_grid->setRowFilter(field, std::move(values));
    if (!m_grid->filtered() && m_profilePanel)
        m_profilePanel->clearFacets();
    loadCSVToListview();
    if (!m_grid->filtered())
        m_status->say(QStringLiteral("Showing all rows"));
}

void Form1::sayShownRows()
{
    if (!m_grid->filtered()) {
        m_status->withdrawAction();
        return;
    }
    const QLocale english(QLocale::English);
    m_status->say(QStringLiteral("Showing %1 of %2 rows")
                      .arg(english.toString(m_grid->rowCount()), english.toString(m_grid->recordCount())));
    m_status->offerAction(QStringLiteral("Show All Rows"), [this] { showOnlyRows(0, {}); });
}

RowScope Form1::shownRows() const
{
    return m_grid->filtered() ? RowScope(m_grid->filterField(), m_grid->filterValues()) : RowScope();
}

void Form1::applyQuickFix(int field, int fix)
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("applyQuickFix"));
    if (!m_store || isBusy(this) || field < 1 || field > m_store->FieldCount())
        return;
    p.step([&] {
        const RowScopeGuard scoped(*m_store, shownRows());
        runLongWork([&] {
            switch (static_cast<ProfilePanel::Fix>(fix)) {
            case ProfilePanel::Fix::TrimSpaces: columnfixes::trimSpaces(*m_store, field); break;
            case ProfilePanel::Fix::CollapseSpaces: columnfixes::collapseSpaces(*m_store, field); break;
            case ProfilePanel::Fix::RemoveUnprintable: columnfixes::removeUnprintable(*m_store, field); break;
            case ProfilePanel::Fix::ConsistentCase: columnfixes::consistentCase(*m_store, field); break;
            }
        });
    });
    p.step([&] { loadCSVToListview(); });
}
