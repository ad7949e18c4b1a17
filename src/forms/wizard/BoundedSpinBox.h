#pragma once

#include <QSpinBox>

// A spin edit that lets the user type any number of up to its maximum length,
// even one outside its range, and brings the number to the nearest bound when
// the field loses the focus or Enter is pressed. A value set by the program is
// bounded the same way. Text that is not a number is refused as it is typed;
// an emptied field gets its previous value back.
class BoundedSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit BoundedSpinBox(QWidget* parent = nullptr);

    // The number the text stands for, taken within the range; the current
    // value when the text holds no number. This is what the field will hold
    // once it loses the focus.
    int boundedValue() const;
    // At most this many characters can be typed.
    void setMaxLength(int length);

signals:
    // Every change of the text, typed or set by the program.
    void editTextChanged(const QString& text);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    QString m_lastText;
};
