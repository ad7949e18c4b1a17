#include "RealMessageBoxes.h"

#include "forms/app/WidgetPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

RealMessageBoxes::RealMessageBoxes() : m_platform(std::make_unique<WidgetPlatform>())
{
    m_previous = &Platform::instance();
    Platform::install(m_platform.get());
    m_baseLoopLevel = QThread::currentThread()->loopLevel();
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

RealMessageBoxes::~RealMessageBoxes()
{
    m_timer.stop();
    Platform::install(m_previous);
}

void RealMessageBoxes::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || m_answered.contains(box))
        return;
    m_answered << box;
    Seen s;
    s.text = box->text();
    s.icon = box->icon();
    s.loopsAbove = QThread::currentThread()->loopLevel() - m_baseLoopLevel;
    seen << s;
    if (onBox)
        onBox(box);

    // A desktop's window manager activates the box's owner again when the box
    // closes; the offscreen platform has none, so do it here.
    QPointer<QWidget> owner = box->parentWidget() ? box->parentWidget()->window() : nullptr;
    QObject::connect(box, &QDialog::finished, box, [owner] {
        QTimer::singleShot(0, [owner] {
            if (owner && owner->isVisible())
                owner->activateWindow();
        });
    });

    QAbstractButton* button = nullptr;
    if (!m_answers.isEmpty())
        button = box->button(m_answers.takeFirst());
    if (!button)
        button = box->escapeButton();
    if (!button)
        button = box->button(QMessageBox::Ok);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
    else
        box->reject();
}

QStringList RealMessageBoxes::texts() const
{
    QStringList out;
    for (const Seen& s : seen)
        out << s.text;
    return out;
}

bool RealMessageBoxes::waitFor(int count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (seen.size() < count && !deadline.hasExpired())
        QTest::qWait(10);
    // Let the last box close and its owner become active again.
    QTest::qWait(30);
    return seen.size() >= count;
}
