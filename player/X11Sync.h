#pragma once
// Qt talks to the X server on its own connection and the engine on another; the server
// orders requests only within a connection. Before the engine reads a window's size, what
// Qt asked of that window must have reached the server: this makes a round trip on Qt's
// connection. GUI thread only.
void SyncWithServer();
