#include "platform/Error.h"

#include "platform/Prompt.h"

#include <QCoreApplication>
#include <cerrno>

QString WithFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void RunGuarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const VantrelError& e) {
        Prompt::errorBox(e.text());
    } catch (const std::exception& e) {
        Prompt::errorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Prompt::errorBox(QCoreApplication::translate("Error", "An unexpected error occurred"));
    }
}

bool IsResourceShortage(int code)
{
    return code == EMFILE || code == ENFILE || code == EAGAIN || code == ENOMEM;
}
