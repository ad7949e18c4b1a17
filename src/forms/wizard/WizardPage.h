#pragma once

#include <QWidget>

// A page of the wizard's stack that counts towards the window's size only
// once it has been shown. The stack asks every page, shown or not, for its
// size hints and its height for a width, and a page answers by laying out
// its word-wrapped texts: for the pages the user has not reached yet, that
// was most of the window's start-up. A page reached for the first time is
// measured then, and the window grows if the page needs more room than the
// pages before it (see the wizard's constructor).
class WizardPage : public QWidget
{
    Q_OBJECT
public:
    explicit WizardPage(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    void setVisible(bool visible) override;

    // Whether the page has been shown and so takes part in the sizes.
    bool isMeasured() const { return m_measured; }

private:
    bool m_measured = false;
};
