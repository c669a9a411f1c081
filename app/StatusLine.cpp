#include "app/StatusLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

#include "app/SaveSettings.h"

namespace {

// A line of text that shortens with an ellipsis where the window is too
// narrow for it, rather than being cut off; the pointer resting on it then
// shows it whole, above what it shows there anyway (`detail`).
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent) : QLabel(parent) {}

    void setLine(const QString& text, const QString& detail)
    {
        m_detail = detail;
        setText(text);
        updateTip();
    }

    QSize minimumSizeHint() const override
    {
        return {fontMetrics().horizontalAdvance(QStringLiteral("\u2026")) * 4, QLabel::minimumSizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, room.width()), foregroundRole());
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        updateTip();
    }

private:
    void updateTip()
    {
        const bool shortened = fontMetrics().horizontalAdvance(text()) > contentsRect().width();
        if (!shortened)
            setToolTip(m_detail);
        else
            setToolTip(m_detail.isEmpty() ? text() : text() + QStringLiteral("\n\n") + m_detail);
    }

    QString m_detail;
};

QString plural(std::int64_t n, const char* one, const char* many)
{
    return groupedCount(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

} // namespace

QString groupedCount(std::int64_t n) { return QLocale(QLocale::English).toString(static_cast<qlonglong>(n)); }

QString formatFileFacts(const FileFacts& f)
{
    const QString dot = QStringLiteral(" \u00b7 ");
    QStringList parts;
    if (f.loaded) {
        parts << plural(f.rows, "row", "rows") << plural(f.columns, "column", "columns");
    } else {
        parts << QStringLiteral("No file");
    }
    parts << QStringLiteral("Separator: ") + SaveSettings::separatorName(f.separator)
          << (f.quoted ? QStringLiteral("Every value quoted") : QStringLiteral("No quotes"));
    // The plain rule is the usual one; only the other is named.
    if (f.standardQuoting)
        parts << QStringLiteral("Standard CSV");
    QString encoding = QString::fromStdString(encodingName(f.encoding));
    if (f.encoding == FileEncoding::Utf8 && f.byteOrderMark)
        encoding += QStringLiteral(" with BOM");
    parts << encoding << (f.lineFeedEnds ? QStringLiteral("LF") : QStringLiteral("CRLF"));
    if (f.settingsForThisRun)
        parts << QStringLiteral("Settings for this run only");
    return parts.join(dot);
}

QString reportStep(const std::string& stepName, const DataCounts& before, const DataCounts& after,
                   std::int64_t valuesChanged, const QString& sortedBy)
{
    const QString name = QString::fromStdString(stepName);
    if (stepName.rfind("Remove", 0) == 0 && stepName.find("Duplicates") != std::string::npos)
        return QStringLiteral("Removed ") + plural(before.rows - after.rows, "duplicate row", "duplicate rows");
    if (stepName == "Find and Replace")
        return QStringLiteral("Replaced ") + plural(valuesChanged, "value", "values");
    if (!sortedBy.isEmpty())
        return QStringLiteral("Sorted ") + plural(after.rows, "row", "rows") + QStringLiteral(" by ") + sortedBy;
    QStringList parts;
    if (after.rows > before.rows)
        parts << plural(after.rows - before.rows, "row", "rows") + QStringLiteral(" added");
    if (after.rows < before.rows)
        parts << plural(before.rows - after.rows, "row", "rows") + QStringLiteral(" deleted");
    if (after.columns > before.columns)
        parts << plural(after.columns - before.columns, "column", "columns") + QStringLiteral(" added");
    if (after.columns < before.columns)
        parts << plural(before.columns - after.columns, "column", "columns") + QStringLiteral(" deleted");
    if (valuesChanged > 0)
        parts << plural(valuesChanged, "value", "values") + QStringLiteral(" changed");
    return parts.isEmpty() ? name : name + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

StatusLine::StatusLine(QWidget* parent)
    : QWidget(parent), m_facts(new ElidedLabel(this)), m_message(new ElidedLabel(this)), m_action(new QToolButton(this)),
      m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("statusLine"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->addWidget(m_facts);
    row->addSpacing(16);
    row->addWidget(m_message, 1);
    row->addWidget(m_action);
    row->addWidget(m_bar);
    m_action->setObjectName(QStringLiteral("statusAction"));
    m_action->hide();
    // Called after the click is done with, since the act may withdraw the
    // button itself.
    connect(m_action, &QToolButton::clicked, this, [this] {
        if (const auto act = m_act)
            act();
    });
    m_message->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_bar->setMaximumWidth(160);
    m_bar->setTextVisible(false);
    m_bar->hide();
}

void StatusLine::showFacts(const QString& facts, const QString& detail)
{
    static_cast<ElidedLabel*>(m_facts)->setLine(facts, detail);
}
void StatusLine::say(const QString& message) { static_cast<ElidedLabel*>(m_message)->setLine(message, {}); }
QString StatusLine::facts() const { return m_facts->text(); }
QString StatusLine::message() const { return m_message->text(); }
bool StatusLine::progressShown() const { return !m_bar->isHidden(); }

void StatusLine::offerAction(const QString& caption, std::function<void()> act)
{
    m_act = std::move(act);
    m_action->setText(caption);
    m_action->show();
}

void StatusLine::withdrawAction()
{
    m_act = nullptr;
    m_action->hide();
}

QAbstractButton* StatusLine::action() const { return m_action; }

void StatusLine::startWork()
{
    m_work.start();
    m_bar->setValue(0);
}

void StatusLine::progress(std::int64_t done, std::int64_t total)
{
    if (!m_work.isValid() || m_work.elapsed() < 500 || total <= 0)
        return;
    m_bar->setRange(0, 1000);
    m_bar->setValue(static_cast<int>(std::min<std::int64_t>(1000, done * 1000 / total)));
    m_bar->show();
}

void StatusLine::endWork(bool cancelled)
{
    m_work.invalidate();
    m_bar->hide();
    if (cancelled)
        say(QStringLiteral("Cancelled; the data is as it was."));
}
