#include "app/LongWork.h"

#include <QLabel>

LongWork::LongWork(QWidget* window, CSVDBS& store, QLabel* label, ProgressCallback show)
    : m_busy(window), m_scope(window), m_progress(store, std::move(show)), m_label(label)
{
}

LongWork::~LongWork() { m_label->clear(); }
