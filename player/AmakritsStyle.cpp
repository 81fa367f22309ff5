#include "AmakritsStyle.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QStyleFactory>

void ApplyAmakritsStyle(QApplication& application) {
    Q_INIT_RESOURCE(player);  // the resources live in a static library
    application.setStyle(QStyleFactory::create("Fusion"));

    const QColor window(0x26, 0x28, 0x2d), base(0x1b, 0x1d, 0x21), text(0xe4, 0xe6, 0xea), accent(0xe0, 0x8a, 0x1e);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Link, accent);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x6c, 0x70, 0x78));
    application.setPalette(palette);

    QFile sheet(":/styles/Amakrits.qss");
    if (sheet.open(QIODevice::ReadOnly)) application.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}
