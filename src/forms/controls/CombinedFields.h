#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

namespace Ui {
class TFrmSpecial;
}
class QCheckBox;
class TPickList;

// The special fields dialog: three check boxes switch the combination fields
// at the end of the wizard's contact pick list on and off. Each box acts on
// the pick list at once, so nothing needs to be read back after the dialog
// closes. The pick list's own click notifications are not raised.
class TFrmSpecial : public QDialog
{
    Q_OBJECT
public:
    // `contactList` is the wizard's contact pick list; it may be null or lack
    // the combination entries, and then the boxes stay unchecked and act on
    // nothing. The boxes start out as the list's selection.
    explicit TFrmSpecial(TPickList* contactList, QWidget* owner = nullptr);
    ~TFrmSpecial() override;

private:
    // Checks each box whose entry the pick list has exactly when that entry
    // is selected; a box without an entry keeps its state.
    void loadFromPickList();

    // Shared click handler of the three boxes: the pick list entry named by
    // the box's caption (ignoring case, first match) takes the box's state.
    void CheckBox1Click(QCheckBox* sender);

    std::unique_ptr<Ui::TFrmSpecial> m_ui;
    QPointer<TPickList> m_contactList;
};
