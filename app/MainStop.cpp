#include "app/Main.h"

#include "app/QueueListRules.h"
#include "app/QueueRowMenu.h"
#include "platform/Error.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QTreeView>

void TfrmMain::BindRowMenu()
{
    QueueRowMenu::Handlers handlers;
    handlers.converting = [this](int row) { return conversion().runningRows().contains(row); };
    handlers.busy = [this] { return m_session->busy(); };
    handlers.act = [this](RowAction action, int row) { ListView1RowAction(action, row); };
    new QueueRowMenu(ListView1, std::move(handlers));
}

void TfrmMain::ListView1RowAction(RowAction action, int row)
{
    RunGuarded([&] {
        switch (action) {
        case RowAction::Stop: conversion().Stop(row); break;
        case RowAction::TryAgain: m_listRules->TryAgain(row); break;
        case RowAction::Remove: m_listRules->Remove(row); break;
        case RowAction::OpenFolder:
            if (const QString told = m_listRules->OpenOutputFolder(row); !told.isEmpty())
                Prompt::message(told);
            break;
        }
    });
}

void TfrmMain::StopConversions()
{
    RunGuarded([this] {
        if (!m_session->busy())
            return;
        const qsizetype converting = conversion().runningRows().size();
        if (converting > 1
            && !Prompt::question(
                QCoreApplication::translate("MainStop", "Stop converting the %1 files that are being converted?")
                    .arg(converting)))
            return;
        // Answered in the window or its box: the user is there, and the end
        // it brings is not news to send to the desktop.
        m_stoppedHere = true;
        conversion().StopAll();
    });
}
