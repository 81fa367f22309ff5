#pragma once
// The player's keys: one table serves the main window, the full-screen window and the list
// that "About" > "Keyboard" shows. GUI thread only.
#include <QKeyCombination>
#include <QString>
#include <vector>

class QKeyEvent;
class TFormPlayer;

struct PlayerKey {
    std::vector<QKeyCombination> keys;  // any of them runs it
    const char* what;                   // as the list shows it
    void (*run)(TFormPlayer& player);
};

const std::vector<PlayerKey>& PlayerKeys();

// Runs the player key of the event; false when the event is no player key.
bool RunPlayerKey(TFormPlayer& player, const QKeyEvent& event);

// The keys and what they do, as an HTML table.
QString PlayerKeysTable();
