#pragma once

#include <functional>

class QObject;

// The plain event of the components: it carries only the object that raised it.
using TNotifyEvent = std::function<void(QObject* Sender)>;
