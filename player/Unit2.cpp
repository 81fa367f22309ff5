#include "Unit2.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStringList>

#include "Unit1.h"

namespace {

// Decimal in the user's notation, up to 15 significant digits, no trailing zeros.
QString General(double value) { return QLocale().toString(value, 'g', 15); }

}  // namespace

QString LayoutInWords(const LUMEX_STEREO_LAYOUT& l) {
    static const char* const kSources[] = {"", "from the stream", "from the container", "from the file name"};
    const char* source = l.source > 0 && l.source < 4 ? kSources[l.source] : "";
    QStringList words;
    const bool sideBySide = l.layout == LAYOUT_SIDE_BY_SIDE;
    if (sideBySide || l.layout == LAYOUT_TOP_BOTTOM) {
        words << (sideBySide ? "Side by side" : "Top/bottom");
        words << QString(l.halfPacked ? "half " : "full ") + (sideBySide ? "width" : "height");
        words << (l.rightFirst ? "right eye first" : "left eye first");
    } else {
        words << (l.layout == LAYOUT_2D ? "2D" : "Unknown layout");
    }
    if (*source) words << source;
    return words.join(", ");
}

TFInfo::TFInfo(QWidget* owner) : QDialog(owner, Qt::Tool) {
    setObjectName("FInfo");
    setWindowTitle("File Info");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(274, 154);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    GroupBox6 = new QGroupBox("File Info", this);
    GroupBox6->setObjectName("GroupBox6");
    GroupBox6->setGeometry(8, 8, 258, 143);
    auto label = [this](const char* name, const QString& caption, int left, int top) {
        auto* l = new QLabel(caption, GroupBox6);
        l->setObjectName(name);
        l->move(left, top);
        l->setMinimumWidth(150);
        return l;
    };
    Label10 = label("Label10", "Width:", 3, 22);
    Label12 = label("Label12", "", 72, 22);
    Label11 = label("Label11", "Height:", 3, 41);
    Label2 = label("Label2", "", 72, 41);
    Label3 = label("Label3", "AvgFrame:", 3, 62);
    Label6 = label("Label6", "", 72, 62);
    Label14 = label("Label14", "Audio Info:", 3, 81);
    Label15 = label("Label15", "", 101, 81);
    Label17 = label("Label17", "Current Frame:", 3, 100);
    Label16 = label("Label16", "", 92, 100);
    Label18 = label("Label18", "3D:", 3, 119);
    Label19 = label("Label19", "", 30, 119);
    Label19->setMinimumWidth(225);
    for (QLabel* caption : {Label10, Label11, Label3, Label14, Label17, Label18}) caption->setMinimumWidth(0);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(30);
    connect(Timer1, &QTimer::timeout, this, &TFInfo::Timer1Timer);
    FormCreate();
}

TFInfo::~TFInfo() { FormDestroy(); }

void TFInfo::FormCreate() {
    FillVideoInfo();
    Timer1->start();
}

void TFInfo::FormDestroy() { FInfo = nullptr; }

void TFInfo::FillVideoInfo() {
    Lumex_ChannelGetInfo(CurrentChannel, &ChannelInfo);
    Label12->setText(QString::number(ChannelInfo.width));
    Label2->setText(QString::number(ChannelInfo.height));
    Label6->setText(General(ChannelInfo.frameRate));
    Label15->setText(QString("%1 Chans, %2 Hz, %3 Bits ")
                         .arg(ChannelInfo.channels)
                         .arg(uint32_t(ChannelInfo.sampleRate))
                         .arg(uint32_t(ChannelInfo.bitsPerSample)));
    LUMEX_STEREO_LAYOUT layout{};
    Lumex_StreamGetStereoLayout(CurrentChannel, &layout);
    Label19->setText(LayoutInWords(layout));
}

// The frame number steps once a second: the position is in whole seconds.
void TFInfo::Timer1Timer() {
    if (Lumex_ChannelGetState(CurrentChannel) != CHANNEL_PLAYING) return;
    const double rate = QLocale().toDouble(Label6->text());
    Label16->setText(General(rate * Lumex_ChannelGetPosition(CurrentChannel, POS_SECONDS)));
}
