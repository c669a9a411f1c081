#include <QFile>

#include "app/CompareWindow.h"
#include "app/Form1.h"
#include "store/CSVDBS.h"
#include "window/AppTitle.h"
#include "window/Procedure.h"

void Form1::CompareWith_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("CompareWith_Click"));
    if (!m_store || !m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    p.step([&] {
        if (!m_compareWindow)
            m_compareWindow = new CompareWindow(this, *m_store, QFile::decodeName(QByteArray::fromStdString(m_store->FileName())));
        m_compareWindow->show();
        m_compareWindow->raise();
        m_compareWindow->activateWindow();
    });
}
