#pragma once
// TVideoWindow, the borderless full-screen window: it covers the work area, takes the
// engine's picture and the main window's control strip while shown, and gives both back
// when closed (it is only ever hidden). GUI thread only.
#include <QWidget>

#include "Components.h"

class TVideoWindow : public QWidget {
    Q_OBJECT

public:
    TVideoWindow();

    TImage* Image1;

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDblClick(QObject* Sender);
    void FormMouseWheelUp();
    void FormMouseWheelDown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // A file dropped onto the window opens with its detected layout.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int m_wheelRest = 0;  // wheel angle short of a whole notch
};
