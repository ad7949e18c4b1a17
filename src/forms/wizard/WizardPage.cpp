#include "forms/wizard/WizardPage.h"

WizardPage::WizardPage(QWidget* parent) : QWidget(parent) {}

QSize WizardPage::sizeHint() const { return m_measured ? QWidget::sizeHint() : QSize(0, 0); }

QSize WizardPage::minimumSizeHint() const
{
    return m_measured ? QWidget::minimumSizeHint() : QSize(0, 0);
}

bool WizardPage::hasHeightForWidth() const { return m_measured && QWidget::hasHeightForWidth(); }

int WizardPage::heightForWidth(int width) const
{
    return m_measured ? QWidget::heightForWidth(width) : -1;
}

void WizardPage::setVisible(bool visible)
{
    // Measured from before the page is laid out for showing, so that the
    // layouts above it hear of its sizes as it appears.
    if (visible && !m_measured) {
        m_measured = true;
        updateGeometry();
    }
    QWidget::setVisible(visible);
}
