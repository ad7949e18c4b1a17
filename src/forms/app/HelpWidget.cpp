#include "forms/app/HelpWidget.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWidget::HelpWidget(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QGuiApplication::applicationDisplayName().isEmpty()
                       ? QStringLiteral("Help")
                       : QGuiApplication::applicationDisplayName() + QStringLiteral(" Help"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Links to other sites go to the desktop's browser, when there is one;
    // the help's own links stay here.
    m_browser->setOpenExternalLinks(true);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_browser);

    // Escape closes the help, as it closes a dialog.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    const int line = fontMetrics().height();
    resize(80 * fontMetrics().averageCharWidth() + 4 * line, 36 * line);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        resize(size().boundedTo(s->availableGeometry().size() * 9 / 10));
}

void HelpWidget::showAt(const QUrl& url)
{
    show();
    raise();
    activateWindow();
    const QUrl page = url.adjusted(QUrl::RemoveFragment);
    if (m_browser->source().adjusted(QUrl::RemoveFragment) != page)
        m_browser->setSource(page);
    // The section's heading at the top of the window; a section near the
    // end of the page scrolls as far as the page goes.
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
    else
        m_browser->verticalScrollBar()->setValue(0);
}
