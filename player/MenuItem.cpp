#include "MenuItem.h"

#include <QMenu>

TMenuItem::TMenuItem(const QString& name, const QString& caption, QObject* owner, int32_t tag)
    : QAction(caption, owner), Tag(tag) {
    setObjectName(name);
    setCheckable(true);
    // Connected first, so it runs before the handlers connected later.
    connect(this, &QAction::triggered, this, [this] { setChecked(m_checked); });
}

void TMenuItem::SetChecked(bool on) {
    m_checked = on;
    setChecked(on);
}

void UncheckAll(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (auto* item = qobject_cast<TMenuItem*>(action)) item->SetChecked(false);
}
