#include "app/ProfilePanel.h"

#include <algorithm>
#include <cmath>

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "store/CSVDBS.h"

namespace {

QString counted(std::int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

// The type shares as one bar, a colour a type, named beneath.
class TypeBar final : public QWidget {
public:
    explicit TypeBar(QWidget* parent) : QWidget(parent) { setMinimumHeight(fontMetrics().height() * 3); }
    void setProfile(const ColumnProfile* profile)
    {
        m_profile = profile;
        setToolTip(legend(false));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect bar(0, 0, width() - 1, fontMetrics().height());
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(bar);
        if (!m_profile || m_profile->values == 0)
            return;
        double x = bar.left() + 1;
        for (int t = 0; t < ColumnProfile::TypeCount; ++t) {
            const double w = double(bar.width() - 1) * double(m_profile->typeCounts[t]) / double(m_profile->values);
            if (w <= 0)
                continue;
            p.fillRect(QRectF(x, bar.top() + 1, w, bar.height() - 1), colour(t));
            x += w;
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(0, bar.bottom() + 2, width(), height() - bar.height() - 2), Qt::TextWordWrap, legend(true));
    }

private:
    QColor colour(int type) const
    {
        // Hues apart, lightness from the palette, so a dark desktop gets dark-fitting bars.
        static const int hues[] = {210, 160, 35, 280, 0, 0, 0};
        const QColor base = palette().color(QPalette::Highlight);
        if (type == int(ColumnProfile::Type::Text))
            return palette().color(QPalette::Mid);
        if (type == int(ColumnProfile::Type::Empty))
            return palette().color(QPalette::Base);
        return QColor::fromHsl(hues[type], std::max(base.hslSaturation(), 120), std::clamp(base.lightness(), 90, 170));
    }
    QString legend(bool shortForm) const
    {
        if (!m_profile || m_profile->values == 0)
            return {};
        QStringList parts;
        for (int t = 0; t < ColumnProfile::TypeCount; ++t)
            if (m_profile->typeCounts[t] > 0)
                parts << QStringLiteral("%1 %2%").arg(QString::fromLatin1(typeName(ColumnProfile::Type(t))))
                             .arg(std::lround(100.0 * double(m_profile->typeCounts[t]) / double(m_profile->values)));
        return parts.join(shortForm ? QStringLiteral(" \u00b7 ") : QStringLiteral("\n"));
    }

    const ColumnProfile* m_profile = nullptr;
};

// The numbers (or dates) in equal bins, as bars.
class Histogram final : public QWidget {
public:
    explicit Histogram(QWidget* parent) : QWidget(parent) { setMinimumHeight(64); }
    void setBins(std::vector<std::int64_t> bins)
    {
        m_bins = std::move(bins);
        setVisible(!m_bins.empty());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_bins.empty())
            return;
        QPainter p(this);
        const std::int64_t most = *std::max_element(m_bins.begin(), m_bins.end());
        const double w = double(width()) / double(m_bins.size());
        const QColor bar = palette().color(QPalette::Highlight);
        for (std::size_t i = 0; i < m_bins.size(); ++i) {
            const double h = most > 0 ? double(height() - 1) * double(m_bins[i]) / double(most) : 0;
            p.fillRect(QRectF(double(i) * w + 1, height() - h, std::max(1.0, w - 2), h), bar);
        }
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(0, height() - 1, width(), height() - 1);
    }

private:
    std::vector<std::int64_t> m_bins;
};

QString number(double value) { return QLocale(QLocale::English).toString(value, 'g', 10); }

} // namespace

ProfilePanel::ProfilePanel(QWidget* parent, const CSVDBS& store)
    : QFrame(parent), m_store(store), m_title(new QLabel(this)), m_counts(new QLabel(this)),
      m_types(new TypeBar(this)), m_histogram(new Histogram(this)), m_range(new QLabel(this)),
      m_facets(new QTreeWidget(this)), m_more(new QLabel(this)), m_showAll(new QPushButton(QStringLiteral("Show All Rows"), this))
{
    setObjectName(QStringLiteral("ProfilePanel"));
    setFrameShape(QFrame::StyledPanel);
    m_title->setObjectName(QStringLiteral("lblProfileColumn"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setWordWrap(true);
    m_counts->setObjectName(QStringLiteral("lblProfileCounts"));
    m_counts->setWordWrap(true);
    m_range->setWordWrap(true);
    m_facets->setObjectName(QStringLiteral("lstFacets"));
    m_facets->setRootIsDecorated(false);
    m_facets->setUniformRowHeights(true);
    m_facets->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_facets->setHeaderLabels({QStringLiteral("Value"), QStringLiteral("Rows")});
    m_facets->header()->setStretchLastSection(false);
    m_facets->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_facets->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_facets->setToolTip(QStringLiteral("Click a value to show only its rows; Ctrl+click for several."));
    m_more->setWordWrap(true);
    m_showAll->setObjectName(QStringLiteral("cmdShowAllRows"));
    m_showAll->setEnabled(false);
    connect(m_facets, &QTreeWidget::itemSelectionChanged, this, &ProfilePanel::facetsChosen);
    connect(m_showAll, &QPushButton::clicked, this, [this] {
        // Whatever the list holds now (it is refilled after every step), every row shows again.
        clearFacets();
        if (onFacet)
            onFacet(m_field, {});
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_counts);
    layout->addWidget(m_types);
    layout->addWidget(m_histogram);
    layout->addWidget(m_range);
    layout->addWidget(m_facets, 1);
    layout->addWidget(m_more);
    layout->addWidget(m_showAll);
    const std::pair<Fix, const char*> fixes[] = {{Fix::TrimSpaces, "cmdTrimSpaces"},
                                                 {Fix::CollapseSpaces, "cmdCollapseSpaces"},
                                                 {Fix::RemoveUnprintable, "cmdRemoveUnprintable"},
                                                 {Fix::ConsistentCase, "cmdConsistentCase"}};
    for (const auto& [fix, name] : fixes) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setVisible(false);
        connect(button, &QPushButton::clicked, this, [this, fix = fix] {
            if (onFix && m_field > 0)
                onFix(m_field, fix);
        });
        layout->addWidget(button);
        m_fixes.push_back(button);
    }
    showNothing(QStringLiteral("Choose a column in the grid."));
}

ProfilePanel::~ProfilePanel() { stop(); }

void ProfilePanel::stop()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
}

void ProfilePanel::showColumn(int field, const QString& heading)
{
    if (field == m_field && heading == m_heading && m_profile)
        return;
    m_field = field;
    m_heading = heading;
    m_profile.reset();
    start();
}

void ProfilePanel::refresh() { start(); }

void ProfilePanel::start()
{
    stop();
    const std::uint64_t generation = ++m_generation;
    if (!m_store.HasFieldList() || m_field < 1 || m_field > m_store.FieldCount()) {
        m_field = 0;
        showNothing(QStringLiteral("Choose a column in the grid."));
        return;
    }
    m_title->setText(m_heading);
    if (!m_profile)
        m_counts->setText(QStringLiteral("Working\u2026"));
    const int field = m_field;
    m_worker = std::thread([this, field, generation] {
        ProfileOptions options;
        options.cancel = &m_cancel;
        std::optional<ColumnProfile> done = computeProfile(m_store, field, options);
        if (!done)
            return;
        QMetaObject::invokeMethod(this, [this, profile = std::move(*done), generation]() mutable {
            showProfile(std::move(profile), generation);
        }, Qt::QueuedConnection);
    });
}

void ProfilePanel::showNothing(const QString& why)
{
    m_title->setText(m_heading);
    m_counts->setText(why);
    static_cast<TypeBar*>(m_types)->setProfile(nullptr);
    static_cast<Histogram*>(m_histogram)->setBins({});
    m_range->clear();
    m_facets->clear();
    m_more->clear();
    for (QPushButton* button : m_fixes)
        button->setVisible(false);
}

void ProfilePanel::showProfile(ColumnProfile profile, std::uint64_t generation)
{
    if (generation != m_generation)
        return; // a newer profile is on its way
    m_profile = std::move(profile);
    const ColumnProfile& p = *m_profile;
    if (p.values == 0) {
        showNothing(QStringLiteral("The file has no rows."));
        return;
    }
    m_counts->setText(QStringLiteral("%1 values \u00b7 %2 empty \u00b7 %3 distinct")
                          .arg(counted(p.values), counted(p.empty), counted(p.distinct)));
    static_cast<TypeBar*>(m_types)->setProfile(&p);
    static_cast<Histogram*>(m_histogram)->setBins(p.histogram);
    QStringList range;
    if (p.minimum)
        range << QStringLiteral("Numbers from %1 to %2, mean %3, median %4")
                     .arg(number(*p.minimum), number(*p.maximum), number(p.mean.value_or(0)), number(p.median.value_or(0)));
    if (p.earliest)
        range << QStringLiteral("Dates from %1 to %2%3")
                     .arg(QString::fromStdString(*p.earliest), QString::fromStdString(*p.latest),
                          p.dateOrder == ColumnProfile::DateOrder::Ambiguous
                              ? QStringLiteral(" (day and month order unclear)") : QString());
    range << QStringLiteral("Shortest \u201c%1\u201d, longest \u201c%2\u201d")
                 .arg(QString::fromStdString(p.shortest).left(24), QString::fromStdString(p.longest).left(24));
    m_range->setText(range.join(QLatin1Char('\n')));

    const QSignalBlocker quiet(m_facets);
    const std::vector<std::string> chosen = [&] {
        std::vector<std::string> out;
        for (QTreeWidgetItem* item : m_facets->selectedItems())
            out.push_back(item->data(0, Qt::UserRole).toByteArray().toStdString());
        return out;
    }();
    m_facets->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& [value, count] : p.top) {
        const QString text = value.empty() ? QStringLiteral("(empty)") : QString::fromStdString(value);
        auto* item = new QTreeWidgetItem({text, counted(count)});
        item->setData(0, Qt::UserRole, QByteArray::fromStdString(value));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    m_facets->addTopLevelItems(items);
    for (QTreeWidgetItem* item : items)
        if (std::find(chosen.begin(), chosen.end(), item->data(0, Qt::UserRole).toByteArray().toStdString()) != chosen.end())
            item->setSelected(true);
    const std::int64_t more = p.distinct - static_cast<std::int64_t>(p.top.size());
    m_more->setText(more > 0 ? QStringLiteral("and %1 more values").arg(counted(more)) : QString());

    const std::pair<std::int64_t, QString> fixes[] = {
        {p.edgeSpaces, QStringLiteral("Trim spaces (%1 values)")},
        {p.doubledSpaces, QStringLiteral("Collapse inner spaces (%1 values)")},
        {p.unprintable, QStringLiteral("Remove characters that don't print (%1 values)")},
        {p.caseVariants, QStringLiteral("Make case consistent (%1 values)")}};
    for (std::size_t i = 0; i < m_fixes.size(); ++i) {
        m_fixes[i]->setText(fixes[i].second.arg(counted(fixes[i].first)));
        m_fixes[i]->setVisible(fixes[i].first > 0);
    }
}

void ProfilePanel::clearFacets()
{
    {
        const QSignalBlocker quiet(m_facets);
        m_facets->clearSelection();
    }
    m_showAll->setEnabled(false);
}

void ProfilePanel::facetsChosen()
{
    std::vector<std::string> values;
    for (QTreeWidgetItem* item : m_facets->selectedItems())
        values.push_back(item->data(0, Qt::UserRole).toByteArray().toStdString());
    m_showAll->setEnabled(!values.empty());
    if (onFacet)
        onFacet(m_field, std::move(values));
}
