#pragma once
// TFInfo, the file information window: picture size, frame rate and sound format of the
// open medium, read once when the window is made, and the frame number while it plays.
// Closing destroys it. GUI thread only.
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

class TFInfo : public QDialog {
    Q_OBJECT

public:
    explicit TFInfo(QWidget* owner);
    ~TFInfo() override;

    QGroupBox* GroupBox6;
    QLabel *Label10, *Label12;  // width
    QLabel *Label11, *Label2;   // height
    QLabel *Label3, *Label6;    // frame rate
    QLabel *Label14, *Label15;  // sound
    QLabel *Label17, *Label16;  // current frame
    QTimer* Timer1;

    void FormCreate();
    void FormDestroy();
    void FillVideoInfo();
    void Timer1Timer();
};
