#include "tools/SortDialog.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "store/CSVDBS.h"
#include "store/sort/KeySort.h"
#include "window/AppTitle.h"
#include "window/ControlNames.h"
#include "window/ToolLayout.h"

using keysort::Comparison;
using keysort::DateGuess;
using keysort::DateOrder;
using keysort::DecimalMark;
using keysort::SortKey;

namespace {

// Combo entries in the order of the enums they stand for.
const QStringList ComparisonNames = {QStringLiteral("Text, ignoring case"), QStringLiteral("Text, exact (as Sort By Column)"),
                                     QStringLiteral("Natural (file2 before file10)"), QStringLiteral("Number"),
                                     QStringLiteral("Date")};
const QStringList MarkNames = {QStringLiteral("Point: 1,234.5"), QStringLiteral("Comma: 1.234,5")};
const QStringList OrderNames = {QStringLiteral("Day first: 31/01/2024"), QStringLiteral("Month first: 01/31/2024")};

// A key starts as Sort By Column sorts: ascending, by the bytes of the text.
SortKey newKey(int field)
{
    SortKey key;
    key.field = field;
    key.comparison = keysort::Comparison::TextExact;
    return key;
}

// The two ways one date reads, in the column's own separator.
QString eitherWay(char separator)
{
    const QLatin1Char s(separator);
    return QStringLiteral("03") + s + QStringLiteral("04") + s + QStringLiteral("2024 is 3 April or 4 March");
}

} // namespace

SortDialog::SortDialog(QWidget* parent, CSVDBS& store, int field)
    : ToolDialog(parent, store, QStringLiteral("SortDialog"), QStringLiteral("Sort")), m_firstField(field)
{
    auto* intro = new QLabel(QStringLiteral("Rows are sorted by the first key; each key below orders the rows the ones "
                                            "above leave equal."), this);
    intro->setWordWrap(true);
    lstKeys = new QListWidget(this);
    // Room for five keys; more than that is rare, and the list scrolls.
    lstKeys->setMinimumSize(px(this, 6600), 5 * lstKeys->fontMetrics().lineSpacing() + 2 * lstKeys->frameWidth() + 8);
    cmdAdd = makeButton(QStringLiteral("Add"));
    cmdRemove = makeButton(QStringLiteral("Remove"));
    cmdMoveUp = makeButton(QStringLiteral("Move Up"));
    cmdMoveDown = makeButton(QStringLiteral("Move Down"));

    fraKey = new QGroupBox(QStringLiteral("Sort by"), this);
    cboColumn = new QComboBox(fraKey);
    optAscending = new QRadioButton(QStringLiteral("Ascending"), fraKey);
    optDescending = new QRadioButton(QStringLiteral("Descending"), fraKey);
    cboComparison = new QComboBox(fraKey);
    cboComparison->addItems(ComparisonNames);
    cboDecimalMark = new QComboBox(fraKey);
    cboDecimalMark->addItems(MarkNames);
    cboDateOrder = new QComboBox(fraKey);
    cboDateOrder->addItems(OrderNames);
    lblDates = new QLabel(fraKey);
    lblDates->setWordWrap(true);
    // Two lines kept free, so the frame does not jump as the text changes.
    lblDates->setMinimumHeight(2 * lblDates->fontMetrics().lineSpacing() + 4);
    lblDates->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* order = new QHBoxLayout;
    order->addWidget(optAscending);
    order->addWidget(optDescending);
    order->addStretch(1);
    m_form = new QFormLayout(fraKey);
    m_form->addRow(QStringLiteral("Column:"), cboColumn);
    m_form->addRow(QStringLiteral("Order:"), order);
    m_form->addRow(QStringLiteral("Compare as:"), cboComparison);
    m_form->addRow(QStringLiteral("Decimal mark:"), cboDecimalMark);
    m_form->addRow(QStringLiteral("Date order:"), cboDateOrder);
    m_form->addRow(QString(), lblDates);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    auto* rules = new QLabel(QStringLiteral("Empty values go last. Values that are not numbers or dates go after those "
                                            "that are, as text."), this);
    rules->setWordWrap(true);
    cmdOK = makeButton(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdCancel = makeButton(QStringLiteral("Cancel"));

    auto* moves = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdRemove, cmdMoveUp, cmdMoveDown})
        moves->addWidget(b);
    moves->addStretch(1);
    auto* list = new QHBoxLayout;
    list->addWidget(lstKeys, 1);
    list->addLayout(moves);
    auto* page = new QVBoxLayout(this);
    page->addWidget(intro);
    page->addLayout(list, 1);
    page->addWidget(fraKey);
    page->addWidget(rules);
    page->addLayout(dialogButtonRow(progressLabel(), cmdOK, cmdCancel));

    connect(lstKeys, &QListWidget::currentRowChanged, this, &SortDialog::showKey);
    connect(cboColumn, &QComboBox::currentIndexChanged, this, &SortDialog::keyEdited);
    connect(optDescending, &QRadioButton::toggled, this, &SortDialog::keyEdited);
    for (QComboBox* box : {cboComparison, cboDecimalMark, cboDateOrder})
        connect(box, &QComboBox::currentIndexChanged, this, &SortDialog::keyEdited);
    connect(cmdAdd, &QPushButton::clicked, this, &SortDialog::Add_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &SortDialog::Remove_Click);
    connect(cmdMoveUp, &QPushButton::clicked, this, &SortDialog::MoveUp_Click);
    connect(cmdMoveDown, &QPushButton::clicked, this, &SortDialog::MoveDown_Click);
    connect(cmdOK, &QPushButton::clicked, this, &SortDialog::OK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &SortDialog::Cancel_Click);
    handOver({cmdAdd, cmdRemove, cmdMoveUp, cmdMoveDown, cmdOK, cmdCancel});
    arrowOver({this, fraKey, lstKeys, lstKeys->viewport()});
    nameControls({{lstKeys, "lstKeys"}, {cmdAdd, "cmdAdd"}, {cmdRemove, "cmdRemove"}, {cmdMoveUp, "cmdMoveUp"},
                  {cmdMoveDown, "cmdMoveDown"}, {fraKey, "fraKey"}, {cboColumn, "cboColumn"},
                  {optAscending, "optAscending"}, {optDescending, "optDescending"}, {cboComparison, "cboComparison"},
                  {cboDecimalMark, "cboDecimalMark"}, {cboDateOrder, "cboDateOrder"}, {lblDates, "lblDates"},
                  {cmdOK, "cmdOK"}, {cmdCancel, "cmdCancel"}});
    Form_Load();
    // The list's own preferred height is far more than a few keys need.
    resize(sizeHint().width(), minimumSizeHint().height());
}

void SortDialog::Form_Load()
{
    Procedure p = procedure(QStringLiteral("Form_Load"));
    p.step([&] { applyLoadPattern(); });
    p.step([&] {
        m_showing = true;
        for (const std::string& name : store().GetFieldList())
            cboColumn->addItem(QString::fromStdString(name));
        m_showing = false;
        if (cboColumn->count() > 0)
            m_keys = {newKey(std::clamp(m_firstField, 1, cboColumn->count()))};
        fillKeys(m_keys.empty() ? -1 : 0);
    });
}

QString SortDialog::heading(int field) const { return cboColumn->itemText(field - 1); }

QString SortDialog::sortedBy() const
{
    QStringList headings;
    for (const SortKey& key : m_keys)
        headings << heading(key.field);
    return headings.join(QStringLiteral(", "));
}

QString SortDialog::describe(std::size_t k) const
{
    const SortKey& key = m_keys[k];
    QString how;
    switch (key.comparison) {
    case Comparison::TextIgnoringCase: how = QStringLiteral("text ignoring case"); break;
    case Comparison::TextExact: how = QStringLiteral("exact text"); break;
    case Comparison::Natural: how = QStringLiteral("natural"); break;
    case Comparison::Number:
        how = key.decimalMark == DecimalMark::Comma ? QStringLiteral("number, decimal comma") : QStringLiteral("number");
        break;
    case Comparison::Date:
        how = key.dateOrder == DateOrder::MonthDay ? QStringLiteral("date, month first") : QStringLiteral("date, day first");
        break;
    }
    return QStringLiteral("%1 %2 \u2014 %3, %4")
        .arg(k == 0 ? QStringLiteral("Sort by") : QStringLiteral("then by"), heading(key.field),
             key.descending ? QStringLiteral("descending") : QStringLiteral("ascending"), how);
}

void SortDialog::fillKeys(int current)
{
    m_showing = true;
    lstKeys->clear();
    for (std::size_t k = 0; k < m_keys.size(); ++k)
        lstKeys->addItem(describe(k));
    m_showing = false;
    lstKeys->setCurrentRow(current);
    showKey();
}

void SortDialog::showKey()
{
    if (m_showing)
        return;
    m_showing = true;
    const int row = lstKeys->currentRow();
    const bool any = row >= 0 && static_cast<std::size_t>(row) < m_keys.size();
    fraKey->setEnabled(any);
    if (any) {
        const SortKey& key = m_keys[static_cast<std::size_t>(row)];
        fraKey->setTitle(row == 0 ? QStringLiteral("Sort by") : QStringLiteral("Then by"));
        cboColumn->setCurrentIndex(key.field - 1);
        (key.descending ? optDescending : optAscending)->setChecked(true);
        cboComparison->setCurrentIndex(static_cast<int>(key.comparison));
        cboDecimalMark->setCurrentIndex(static_cast<int>(key.decimalMark));
        cboDateOrder->setCurrentIndex(static_cast<int>(key.dateOrder));
        cboDecimalMark->setEnabled(key.comparison == Comparison::Number);
        cboDateOrder->setEnabled(key.comparison == Comparison::Date);
        m_form->labelForField(cboDecimalMark)->setEnabled(key.comparison == Comparison::Number);
        m_form->labelForField(cboDateOrder)->setEnabled(key.comparison == Comparison::Date);
        const bool date = key.comparison == Comparison::Date;
        lblDates->setText(date ? datesText(key) : QString());
        // A choice the user has to make stands out from the notes.
        const bool ambiguous = date && dateGuess(key.field).format == DateGuess::Format::Ambiguous;
        lblDates->setStyleSheet(ambiguous ? QStringLiteral("color: #a33a00;") : QString());
        lstKeys->item(row)->setText(describe(static_cast<std::size_t>(row)));
    } else {
        lblDates->clear();
    }
    cmdAdd->setEnabled(cboColumn->count() > 0);
    cmdRemove->setEnabled(any);
    cmdMoveUp->setEnabled(any && row > 0);
    cmdMoveDown->setEnabled(any && static_cast<std::size_t>(row) + 1 < m_keys.size());
    m_showing = false;
}

void SortDialog::keyEdited()
{
    const int row = lstKeys->currentRow();
    if (m_showing || row < 0 || static_cast<std::size_t>(row) >= m_keys.size())
        return;
    SortKey& key = m_keys[static_cast<std::size_t>(row)];
    const SortKey before = key;
    key.field = cboColumn->currentIndex() + 1;
    key.descending = optDescending->isChecked();
    key.comparison = static_cast<Comparison>(cboComparison->currentIndex());
    key.decimalMark = static_cast<DecimalMark>(cboDecimalMark->currentIndex());
    key.dateOrder = static_cast<DateOrder>(cboDateOrder->currentIndex());
    if (key.comparison == Comparison::Date && (before.comparison != Comparison::Date || before.field != key.field))
        startDateKey(key);
    showKey();
}

void SortDialog::startDateKey(SortKey& key)
{
    const DateGuess& guess = dateGuess(key.field);
    if (guess.format == DateGuess::Format::DayMonth || guess.format == DateGuess::Format::MonthDay)
        key.dateOrder = guess.order();
}

const DateGuess& SortDialog::dateGuess(int field)
{
    auto it = m_guesses.find(field);
    if (it == m_guesses.end())
        it = m_guesses.emplace(field, keysort::guessDateFormat(store(), field)).first;
    return it->second;
}

QString SortDialog::datesText(const SortKey& key)
{
    const DateGuess& guess = dateGuess(key.field);
    QString text;
    switch (guess.format) {
    case DateGuess::Format::None:
        return QStringLiteral("No value in this column reads as a date; they sort as text.");
    case DateGuess::Format::YearFirst:
        text = QStringLiteral("The dates start with the year, so the date order does not matter.");
        break;
    case DateGuess::Format::DayMonth:
        text = QStringLiteral("The dates are written day first.");
        break;
    case DateGuess::Format::MonthDay:
        text = QStringLiteral("The dates are written month first.");
        break;
    case DateGuess::Format::Ambiguous:
        text = QStringLiteral("The dates read either way (%1): choose the date order.").arg(eitherWay(guess.separator));
        break;
    }
    if (guess.others > 0)
        text += guess.others == 1 ? QStringLiteral(" 1 value is not a date.")
                                  : QStringLiteral(" %1 values are not dates.").arg(guess.others);
    return text;
}

void SortDialog::Add_Click()
{
    Procedure p = procedure(QStringLiteral("Add_Click"));
    p.step([&] {
        // The first column no key sorts by yet, else the first column.
        int field = 1;
        for (int f = cboColumn->count(); f >= 1; --f)
            if (std::none_of(m_keys.begin(), m_keys.end(), [&](const SortKey& k) { return k.field == f; }))
                field = f;
        m_keys.push_back(newKey(field));
        fillKeys(static_cast<int>(m_keys.size()) - 1);
    });
}

void SortDialog::Remove_Click()
{
    Procedure p = procedure(QStringLiteral("Remove_Click"));
    const int row = lstKeys->currentRow();
    if (row < 0)
        return;
    p.step([&] {
        m_keys.erase(m_keys.begin() + row);
        fillKeys(std::min(row, static_cast<int>(m_keys.size()) - 1));
    });
}

void SortDialog::MoveUp_Click()
{
    Procedure p = procedure(QStringLiteral("MoveUp_Click"));
    const int row = lstKeys->currentRow();
    if (row < 1)
        return;
    p.step([&] {
        std::swap(m_keys[static_cast<std::size_t>(row)], m_keys[static_cast<std::size_t>(row - 1)]);
        fillKeys(row - 1);
    });
}

void SortDialog::MoveDown_Click()
{
    Procedure p = procedure(QStringLiteral("MoveDown_Click"));
    const int row = lstKeys->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) + 1 >= m_keys.size())
        return;
    p.step([&] {
        std::swap(m_keys[static_cast<std::size_t>(row)], m_keys[static_cast<std::size_t>(row + 1)]);
        fillKeys(row + 1);
    });
}

void SortDialog::OK_Click()
{
    Procedure p = procedure(QStringLiteral("OK_Click"));
    if (m_keys.empty()) {
        p.step([&] { tellUser(QStringLiteral("Add a column to sort by.")); });
        return;
    }
    runWorkThenAccept(p, [&] { KeySort::sortByKeys(store(), m_keys); });
}

void SortDialog::Cancel_Click()
{
    Procedure p = procedure(QStringLiteral("Cancel_Click"));
    p.step([&] { reject(); });
}
