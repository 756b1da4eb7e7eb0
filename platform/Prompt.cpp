#include "platform/Prompt.h"

#include "platform/Error.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>

Prompt::Script* Prompt::s_script = nullptr;
bool Prompt::s_console = false;

namespace {

QPointer<QWidget>& parentPointer()
{
    static QPointer<QWidget> window;
    return window;
}

void showBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QStringLiteral("Vantrel"), text, QMessageBox::Ok, Prompt::parentWindow());
    box.exec();
}

void writeToConsole(const QString& text)
{
    const QByteArray line = QStringLiteral("vantrel: %1\n").arg(text).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

Prompt::Script::Script() : m_previous(Prompt::s_script)
{
    Prompt::s_script = this;
}

Prompt::Script::~Script()
{
    Prompt::s_script = m_previous;
}

QStringList Prompt::Script::texts(Kind kind) const
{
    QStringList result;
    for (const Shown& s : m_shown)
        if (s.kind == kind)
            result << s.text;
    return result;
}

void Prompt::setParentWindow(QWidget* window)
{
    parentPointer() = window;
}

void Prompt::setConsole(bool console)
{
    s_console = console;
}

bool Prompt::isConsole()
{
    return s_console;
}

QWidget* Prompt::parentWindow()
{
    return parentPointer().data();
}

void Prompt::message(const QString& text)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::Message, text});
        return;
    }
    if (s_console) {
        writeToConsole(text);
        return;
    }
    showBox(QMessageBox::NoIcon, text);
}

void Prompt::errorBox(const QString& text)
{
    const QString shown = WithFullStop(text);
    if (s_script) {
        s_script->m_shown.push_back({Kind::Error, shown});
        return;
    }
    if (s_console) {
        writeToConsole(shown);
        return;
    }
    showBox(QMessageBox::Critical, shown);
}

bool Prompt::question(const QString& text)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::Question, text});
        if (s_script->m_answers.empty())
            return false;
        const bool yes = s_script->m_answers.front();
        s_script->m_answers.pop_front();
        return yes;
    }
    if (s_console)
        return false;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vantrel"), text, QMessageBox::Yes | QMessageBox::No,
                    Prompt::parentWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString Prompt::openFile(const QString& filter, const QString& defaultSuffix)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::OpenFile, filter});
        if (s_script->m_files.empty())
            return {};
        QString answer = s_script->m_files.front();
        s_script->m_files.pop_front();
        return answer;
    }
    if (s_console)
        return {};
    QFileDialog dialog(Prompt::parentWindow());
    dialog.setFileMode(QFileDialog::AnyFile); // the file need not exist
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> Prompt::scriptedFolder(const QString& caption)
{
    if (!s_script)
        return s_console ? std::optional<QString>(QString()) : std::nullopt;
    s_script->m_shown.push_back({Kind::Folder, caption});
    if (s_script->m_folders.empty())
        return QString();
    QString answer = s_script->m_folders.front();
    s_script->m_folders.pop_front();
    return answer;
}
