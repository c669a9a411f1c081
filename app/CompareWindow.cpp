#include "app/CompareWindow.h"

#include <fstream>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/CommandFile.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "window/AppTitle.h"
#include "window/LongWork.h"

using FileCompare::Change;

namespace {

QString text(std::string_view bytes) { return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())); }

// A hue laid thinly over the palette's base, so that the palette's own text
// stays readable on it in light and dark themes alike.
QColor tint(const QColor& base, const QColor& hue)
{
    const double share = base.lightnessF() < 0.5 ? 0.38 : 0.24;
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(static_cast<float>(mix(base.redF(), hue.redF())),
                            static_cast<float>(mix(base.greenF(), hue.greenF())),
                            static_cast<float>(mix(base.blueF(), hue.blueF())));
}

const QString ByPosition = QStringLiteral("(by row position)");

} // namespace

// --- the model ---------------------------------------------------------------

void CompareModel::show(const CSVDBS* older, const CSVDBS* newer, const FileCompare::Result* result,
                        bool onlyDifferences)
{
    beginResetModel();
    m_older = older;
    m_newer = newer;
    m_result = result;
    m_only = onlyDifferences;
    m_differing.clear();
    if (result && onlyDifferences)
        for (std::size_t i = 0; i < result->rows.size(); ++i)
            if (result->rows[i].change != Change::Same)
                m_differing.push_back(static_cast<std::int32_t>(i));
    endResetModel();
}

void CompareModel::setTints(QColor added, QColor removed, QColor changed)
{
    m_added = added;
    m_removed = removed;
    m_changed = changed;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

int CompareModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_result)
        return 0;
    return static_cast<int>(m_only ? m_differing.size() : m_result->rows.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_result ? 0 : static_cast<int>(m_result->columns.size()) + 1;
}

const FileCompare::Row& CompareModel::rowAt(int row) const
{
    const std::size_t at = m_only ? static_cast<std::size_t>(m_differing[static_cast<std::size_t>(row)])
                                  : static_cast<std::size_t>(row);
    return m_result->rows[at];
}

QVariant CompareModel::data(const QModelIndex& index, int role) const
{
    if (!m_result || !index.isValid())
        return {};
    const FileCompare::Row& row = rowAt(index.row());
    if (index.column() == 0) {
        if (role == Qt::DisplayRole) {
            switch (row.change) {
            case Change::Added: return QStringLiteral("+ added");
            case Change::Removed: return QStringLiteral("\u2212 removed");
            case Change::Changed: return QStringLiteral("~ changed");
            case Change::Same: return QString();
            }
        }
        if (role == Qt::BackgroundRole && row.change == Change::Added)
            return m_added;
        if (role == Qt::BackgroundRole && row.change == Change::Removed)
            return m_removed;
        return {};
    }
    const FileCompare::Column& column = m_result->columns[static_cast<std::size_t>(index.column() - 1)];
    const bool old = row.newRecord == 0;
    const int field = old ? column.oldField : column.newField;
    const auto value = [&] {
        return field == 0 ? QString() : text(old ? m_older->ValueAt(row.oldRecord, field) : m_newer->ValueAt(row.newRecord, field));
    };
    switch (role) {
    case Qt::DisplayRole:
        return value();
    case Qt::BackgroundRole:
        if (row.change == Change::Added)
            return m_added;
        if (row.change == Change::Removed)
            return m_removed;
        if (FileCompare::cellChanged(*m_older, *m_newer, row, column))
            return m_changed;
        return {};
    case Qt::ToolTipRole:
        if (FileCompare::cellChanged(*m_older, *m_newer, row, column))
            return QStringLiteral("was: %1").arg(text(m_older->ValueAt(row.oldRecord, column.oldField)));
        return {};
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_result)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section == 0)
        return QStringLiteral("Change");
    const FileCompare::Column& column = m_result->columns[static_cast<std::size_t>(section - 1)];
    const QString heading = QString::fromStdString(column.heading);
    if (column.oldField == 0)
        return QStringLiteral("+ ") + heading;
    if (column.newField == 0)
        return QStringLiteral("\u2212 ") + heading;
    return heading;
}

// --- the window ----------------------------------------------------------------

CompareWindow::CompareWindow(QWidget* parent, const CSVDBS& open, const QString& openName)
    : QWidget(parent, Qt::Window), m_open(open), m_openName(openName)
{
    setObjectName(QStringLiteral("CompareWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Compare %1 With\u2026 - %2").arg(QFileInfo(openName).fileName(), appTitle()));

    auto* layout = new QVBoxLayout(this);
    auto* choose = new QHBoxLayout;
    auto* fileLabel = new QLabel(QStringLiteral("&Other file:"), this);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("txtOtherFile"));
    m_path->setPlaceholderText(QStringLiteral("The other version of %1").arg(QFileInfo(openName).fileName()));
    fileLabel->setBuddy(m_path);
    auto* browse = new QPushButton(QStringLiteral("&Browse\u2026"), this);
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* keyLabel = new QLabel(QStringLiteral("&Key column:"), this);
    m_key = new QComboBox(this);
    m_key->setObjectName(QStringLiteral("cboKey"));
    keyLabel->setBuddy(m_key);
    m_key->addItem(ByPosition);
    for (const std::string& heading : open.GetFieldList())
        m_key->addItem(QString::fromStdString(heading));
    m_key->setCurrentIndex(m_key->count() > 1 ? 1 : 0);
    auto* compare = new QPushButton(QStringLiteral("&Compare"), this);
    compare->setObjectName(QStringLiteral("cmdCompare"));
    compare->setDefault(true);
    choose->addWidget(fileLabel);
    choose->addWidget(m_path, 1);
    choose->addWidget(browse);
    choose->addSpacing(12);
    choose->addWidget(keyLabel);
    choose->addWidget(m_key);
    choose->addWidget(compare);
    layout->addLayout(choose);

    m_only = new QCheckBox(QStringLiteral("Show &only differences"), this);
    m_only->setObjectName(QStringLiteral("chkOnlyDifferences"));
    layout->addWidget(m_only);

    m_model = new CompareModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblDifferences"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    auto* bottom = new QHBoxLayout;
    m_status = new QLabel(QStringLiteral("Choose the other file and the key column, then Compare."), this);
    m_status->setObjectName(QStringLiteral("lblCounts"));
    m_export = new QPushButton(QStringLiteral("&Export Differences\u2026"), this);
    m_export->setObjectName(QStringLiteral("cmdExport"));
    m_export->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_export);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(browse, &QPushButton::clicked, this, &CompareWindow::Browse_Click);
    connect(compare, &QPushButton::clicked, this, &CompareWindow::Compare_Click);
    connect(m_path, &QLineEdit::returnPressed, this, &CompareWindow::Compare_Click);
    connect(m_export, &QPushButton::clicked, this, &CompareWindow::Export_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_only, &QCheckBox::toggled, this, [this] { showResult(); });
    applyTints();
    resize(900, 520);
}

CompareWindow::~CompareWindow() { m_model->show(nullptr, nullptr, nullptr, false); }

void CompareWindow::applyTints()
{
    const QColor base = palette().color(QPalette::Base);
    m_model->setTints(tint(base, QColor(0x2e, 0xa0, 0x43)), tint(base, QColor(0xd7, 0x3a, 0x49)),
                      tint(base, QColor(0xd4, 0x9a, 0x06)));
}

void CompareWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        applyTints();
    QWidget::changeEvent(event);
}

void CompareWindow::Browse_Click()
{
    const QString chosen = prompter().openFileName(QStringLiteral("Compare With"),
                                                   CsvOpenFilter,
                                                   QFileInfo(m_openName).absolutePath());
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void CompareWindow::Compare_Click()
{
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        tellUser(QStringLiteral("Choose the file to compare with."));
        return;
    }
    const std::string key = m_key->currentIndex() <= 0 ? std::string() : m_key->currentText().toStdString();
    // The old comparison refers to the old store: it goes first.
    m_model->show(nullptr, nullptr, nullptr, false);
    m_result.reset();
    m_export->setEnabled(false);
    auto other = std::make_unique<CSVDBS>();
    other->HistoryBudget(0);
    other->HeadingsSuffice(true);
    const std::string otherName = QFileInfo(path).fileName().toStdString();
    const std::string openName = QFileInfo(m_openName).fileName().toStdString();
    ReadOutcome read;
    std::unique_ptr<FileCompare::Result> result;
    std::string problem;
    const bool finished = LongWork::run(this, m_status, other.get(), [&] {
        // The other file is read by its own separator and encoding, as the
        // command line reads a file.
        read = readForCommand(*other, path.toStdString(), ReadingOptions{}, m_open.HeaderLine());
        if (!read.loaded)
            return;
        try {
            result = std::make_unique<FileCompare::Result>(
                FileCompare::compare(m_open, *other, key, openName, otherName));
        } catch (const FileCompare::CompareError& error) {
            problem = error.what();
        }
    });
    if (!finished) {
        m_status->setText(QStringLiteral("Cancelled."));
        return;
    }
    if (!read.loaded) {
        m_status->setText(QString());
        tellUser(QStringLiteral("Error loading CSV file.\n%1").arg(QString::fromStdString(read.error)));
        return;
    }
    if (!problem.empty()) {
        m_status->setText(QString());
        tellUser(QString::fromStdString(problem));
        return;
    }
    m_other = std::move(other);
    m_otherName = path;
    m_result = std::move(result);
    showResult();
}

void CompareWindow::showResult()
{
    if (!m_result)
        return;
    m_model->show(&m_open, m_other.get(), m_result.get(), m_only->isChecked());
    QString said = QString::fromStdString(FileCompare::describe(m_result->counts));
    if (m_model->rowCount() == 0 && m_result->differs())
        said += QStringLiteral(" (no rows differ)");
    m_status->setText(said);
    m_export->setEnabled(m_result->differs());
    m_table->resizeColumnToContents(0);
    for (int c = 1; c < m_model->columnCount(); ++c)
        m_table->setColumnWidth(c, std::min(std::max(m_table->horizontalHeader()->sectionSizeHint(c), 80), 240));
}

void CompareWindow::openFileChanging()
{
    if (!m_result)
        return;
    m_model->show(nullptr, nullptr, nullptr, false);
    m_result.reset();
    m_export->setEnabled(false);
    m_status->setText(QStringLiteral("The open file has changed: Compare again to see its differences."));
}

void CompareWindow::Export_Click()
{
    if (!m_result)
        return;
    const QString filter = QStringLiteral("CSV Files (*.csv)|*.csv");
    const QString path = withFilterSuffix(prompter().saveFileName(QStringLiteral("Export Differences"), filter,
                                                                  QFileInfo(m_openName).absolutePath()),
                                          filter);
    if (path.isEmpty())
        return;
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    FileCompare::writeDifferences(m_open, *m_other, *m_result, "\r\n", [&](std::string_view piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    });
    out.close();
    if (!out)
        tellUser(QStringLiteral("The differences could not be written to %1.").arg(path));
}
