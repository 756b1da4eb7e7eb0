#include "platform/DesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace {

class FreedesktopNotifier final : public DesktopNotifier
{
public:
    explicit FreedesktopNotifier(QString busName) : m_busName(std::move(busName)) { }

    void notify(const QString& summary, const QString& body) override
    {
        // The session bus is looked for only when there is something to say.
        const QDBusConnection bus = m_busName.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(m_busName);
        if (!bus.isConnected())
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        QVariantMap hints;
        hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("vantrel"));
        call << QCoreApplication::applicationName() << quint32(0) << QStringLiteral("vantrel") << summary << body
             << QStringList() << hints << qint32(-1);
        // No answer is awaited: a missing service only leaves an error reply nobody reads.
        bus.send(call);
    }

private:
    QString m_busName;
};

} // namespace

std::unique_ptr<DesktopNotifier> MakeDesktopNotifier(const QString& busName)
{
    return std::make_unique<FreedesktopNotifier>(busName);
}
