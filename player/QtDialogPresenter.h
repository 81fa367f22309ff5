#pragma once
// The engine's messages and property frames as Qt dialogs owned by the main window. The
// platform calls the presenter on the thread that raised the message; the dialogs are made
// on the GUI thread, which a call from any other thread waits for.
#include <QPointer>
#include <QWidget>

#include "platform/window/DialogPresenter.h"

class QtDialogPresenter : public orvo::window::DialogPresenter {
public:
    explicit QtDialogPresenter(QWidget* owner) : m_owner(owner) {}

    // Makes presenter the platform's presenter; null gives the platform's own dialogs back.
    static void Install(QtDialogPresenter* presenter);

    int ShowMessage(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) override;
    HRESULT ShowPropertyFrame(const orvo::window::PropertyFrameRequest& request) override;

private:
    int Message(const QString& text, const QString& caption, UINT type);
    HRESULT PropertyFrame(const orvo::window::PropertyFrameRequest& request);

    QPointer<QWidget> m_owner;
};
