#pragma once
// TMenuItem: a menu item whose check mark only the program sets. Qt flips a checkable item
// when it is chosen; this item puts its mark back before any handler runs, so handlers see
// and set every mark themselves. Tag carries the number the handlers read (a view mode, a
// device number, a stream index). GUI thread only.
#include <QAction>

class QMenu;

class TMenuItem : public QAction {
    Q_OBJECT

public:
    TMenuItem(const QString& name, const QString& caption, QObject* owner, int32_t tag = 0);

    void SetChecked(bool on);
    bool Checked() const { return m_checked; }

    int32_t Tag;

private:
    bool m_checked = false;
};

// Takes the mark off every TMenuItem of the menu.
void UncheckAll(QMenu* menu);
