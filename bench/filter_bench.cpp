// The Filter window over a million rows of eight columns, as the user meets
// it: how long a key takes to show in the search box while a search runs,
// and how long after the pause the results come. A timing program, not a
// benchmark library run, since the figures are the event loop's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>

#include "bench/WindowBench.h"
#include "export/Form8.h"
#include "export/GridText.h"

namespace {

// A generated order list kept as one block of text, so a million rows cost
// tens of megabytes, not a string object per cell.
class OrderGrid final : public GridText {
public:
    OrderGrid(int rows) : m_rows(rows)
    {
        static const char* names[] = {"Anna Berg", "Bruno Costa", "Chen Wei", "Dara Okafor", "Emil Novak", "Fatima Zahra", "Goran Ilic", "Hana Sato"};
        static const char* cities[] = {"Berlin", "Lisbon", "Osaka", "Lagos", "Prague", "Rabat", "Zagreb", "Kyoto"};
        static const char* products[] = {"Desk lamp", "Paper 500", "Stapler", "Ink black", "Chair", "Monitor arm", "Notebook", "Pens blue"};
        static const char* states[] = {"open", "shipped", "paid", "returned"};
        std::uint32_t seed = 12345;
        const auto next = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
        m_starts.reserve(static_cast<std::size_t>(rows) * Columns + 1);
        for (int r = 0; r < rows; ++r) {
            const std::string cells[Columns] = {
                std::to_string(100000 + r), names[next() % 8], cities[next() % 8], products[next() % 8],
                std::to_string(1 + next() % 40), std::to_string(next() % 100000 / 100.0).substr(0, 6),
                "2026-" + std::to_string(1 + next() % 12) + "-" + std::to_string(1 + next() % 28), states[next() % 4]};
            for (const std::string& cell : cells) {
                m_starts.push_back(static_cast<std::uint32_t>(m_text.size()));
                m_text += cell;
            }
        }
        m_starts.push_back(static_cast<std::uint32_t>(m_text.size()));
    }
    int headingCount() const override { return Columns; }
    int shownRows() const override { return m_rows; }
    const std::string& headingText(int column) const override { return m_headings[static_cast<std::size_t>(column)]; }
    std::string_view cellBytes(int row, int column) const override
    {
        const std::size_t i = static_cast<std::size_t>(row) * Columns + static_cast<std::size_t>(column);
        return std::string_view(m_text).substr(m_starts[i], m_starts[i + 1] - m_starts[i]);
    }

private:
    static constexpr int Columns = 8;
    int m_rows;
    std::string m_text;
    std::vector<std::uint32_t> m_starts;
    std::vector<std::string> m_headings{"Order", "Customer", "City", "Product", "Quantity", "Price", "Date", "Status"};
};

double msSince(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// One key into the box, until the box has painted it and the loop is idle again.
double keyEcho(Form8& window, QChar key)
{
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(key));
    QApplication::sendEvent(window.Text1, &press);
    QApplication::sendEvent(window.Text1, &release);
    window.Text1->repaint();
    QCoreApplication::processEvents();
    return msSince(t);
}

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char** argv)
{
    BenchApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const OrderGrid grid(rows);
    Form8 window(nullptr, grid, {});
    window.show();
    waitMs(50);

    // Keys typed while the search for the text before them runs.
    std::vector<double> echoes;
    for (const char* word : {"lisbon", "paid", "chair"}) {
        window.Text1->clear();
        for (const char* c = word; *c; ++c) {
            echoes.push_back(keyEcho(window, QLatin1Char(*c)));
            waitMs(Form8::SearchPause + 20); // the search for this text is running now
        }
        QSignalSpy done(&window, &Form8::searchFinished);
        if (window.searching())
            done.wait(10000);
    }
    std::sort(echoes.begin(), echoes.end());
    std::printf("rows %d x 8, key echo while a search runs: median %.1f ms, worst %.1f ms (%zu keys)\n", rows,
                echoes[echoes.size() / 2], echoes.back(), echoes.size());

    // Results after the pause: the whole time from the key, less the pause.
    for (const char* text : {"Kyoto", "returned", "e", "no such text"}) {
        std::vector<double> times;
        int matches = 0;
        for (int run = 0; run < 5; ++run) {
            window.Text1->clear();
            QSignalSpy done(&window, &Form8::searchFinished);
            QElapsedTimer t;
            t.start();
            window.Text1->setText(QString::fromLatin1(text));
            done.wait(10000);
            times.push_back(msSince(t) - Form8::SearchPause);
            matches = done.isEmpty() ? -1 : done.last().at(0).toInt();
        }
        std::sort(times.begin(), times.end());
        std::printf("results for \"%s\" (%d matches) after the pause: median %.0f ms, worst %.0f ms\n", text, matches,
                    times[times.size() / 2], times.back());
    }
    return 0;
}
