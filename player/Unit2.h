#pragma once
// TFInfo, the file information window: picture size, frame rate and sound format of the
// open medium and how its views lie, read once when the window is made, and the frame number
// while it plays.
// Closing destroys it. GUI thread only.
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include "Lumex.h"

// The layout in words, such as "Side by side, half width, right eye first, from the stream".
QString LayoutInWords(const LUMEX_STEREO_LAYOUT& layout);

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
    QLabel *Label18, *Label19;  // the views' layout, as the engine found it
    QTimer* Timer1;

    void FormCreate();
    void FormDestroy();
    void FillVideoInfo();
    void Timer1Timer();
};
