#pragma once

#include <QString>

#include <memory>

// Tells the user something outside the window: a short message the desktop
// shows on its own, for when the window is not looked at.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    // Never blocks and never fails loudly: without a notification service
    // nothing is shown.
    virtual void notify(const QString& summary, const QString& body) = 0;
};

// The desktop's own notifications (org.freedesktop.Notifications) on the
// session bus; busName names a connection made with QDBusConnection, empty
// for the session bus itself.
std::unique_ptr<DesktopNotifier> MakeDesktopNotifier(const QString& busName = {});
