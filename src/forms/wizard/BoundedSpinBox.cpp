#include "forms/wizard/BoundedSpinBox.h"

#include <QLineEdit>

BoundedSpinBox::BoundedSpinBox(QWidget* parent) : QSpinBox(parent), m_lastText(text())
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    // The line edit reports what is typed; the spin box reports values set by
    // the program, while the line edit's own signals are blocked.
    // Each text is reported once.
    auto report = [this](const QString& text) {
        if (text == m_lastText)
            return;
        m_lastText = text;
        emit editTextChanged(text);
    };
    connect(lineEdit(), &QLineEdit::textChanged, this, report);
    connect(this, &QSpinBox::textChanged, this, report);
}

void BoundedSpinBox::setMaxLength(int length) { lineEdit()->setMaxLength(length); }

int BoundedSpinBox::boundedValue() const
{
    bool ok = false;
    const int typed = text().trimmed().toInt(&ok);
    return ok ? qBound(minimum(), typed, maximum()) : value();
}

QValidator::State BoundedSpinBox::validate(QString& input, int&) const
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QValidator::Intermediate;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return QValidator::Invalid;
    }
    const int limit = lineEdit()->maxLength();
    if (text.size() > limit)
        return QValidator::Invalid;
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        return QValidator::Invalid;
    return number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                      : QValidator::Intermediate;
}

void BoundedSpinBox::fixup(QString& input) const
{
    bool ok = false;
    const int number = input.trimmed().toInt(&ok);
    // An emptied field gets back the value it held.
    input = QString::number(ok ? qBound(minimum(), number, maximum()) : value());
}
