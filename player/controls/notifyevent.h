#pragma once
// The event type of the skinned controls: a handler the owner may assign, called with the
// control that raised it. An empty handler is "unassigned" and is not called.
#include <functional>

class QObject;

using TNotifyEvent = std::function<void(QObject* Sender)>;
