#pragma once

class QAbstractItemView;

// In a single-selection list or grid the current entry is the selected one:
// a click or a key makes an entry current and selects it in one go.
// Assistive tools select an entry without moving the current one (a screen
// reader's "select" on a list item), and the handlers that act on the
// current entry would then act on another one or none. This keeps the
// current entry on the selected one, whoever selected it; selection changes
// that already follow the current entry change nothing.
void followSelection(QAbstractItemView* view);
