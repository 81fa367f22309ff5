#pragma once
// "Amakrits", the player's look: Qt's Fusion style with a dark palette and the style sheet
// carried in the program's resources. Call once, after the application exists.
class QApplication;

void ApplyAmakritsStyle(QApplication& application);
