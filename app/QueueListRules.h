#pragma once

#include "model/RowState.h"

#include <QString>

#include <array>
#include <functional>

class QueueModel;
struct Settings;

// What a click in the queue list does, by the column under the pointer.
enum class QueueClick { Nothing, RemoveRow, OpenOutputFolder, OpenSource };

// What a row's menu may do to the row.
enum class RowAction { Stop, TryAgain, Remove, OpenFolder };

// The window's queue list: what a click, the Delete key and a row's menu do
// to a row. Every rule but Try again and Open Folder does nothing while a
// conversion runs, so no row moves under a running conversion. Nothing here
// shows a message: what to tell the user is returned.
class QueueListRules
{
public:
    // busy says whether a conversion runs.
    QueueListRules(const Settings& settings, QueueModel& queue, std::function<bool()> busy);

    // The Delete key in the list; row is the selected row, -1 for none.
    void KeyDown(int key, int row);
    // A click in the list at x (client coordinates) with row selected; widths
    // are the current widths of columns 0 to 3. Returns what to tell the user
    // when the desktop opened nothing; empty otherwise.
    QString Click(int row, int x, const std::array<int, 4>& widths);

    // A row's menu: Remove takes a "Pending", "Done" or "Failed" row out of
    // the list, Try again sets a "Failed" row back to "Pending" (a running
    // conversion takes it, else the next press), Open Folder opens the folder
    // of a "Done" row's file (returning what to tell when nothing opened it).
    // Stop belongs to the conversion.
    void Remove(int row);
    void TryAgain(int row);
    QString OpenOutputFolder(int row);
    // Whether the row's menu offers the action: converting says the row's
    // conversion runs (it reads "Pending" until ffmpeg first reports), busy
    // that any does.
    static bool Offers(RowAction action, RowState state, bool converting, bool busy);

    static QueueClick HitTest(int x, const std::array<int, 4>& widths, RowState state);
    // What to tell when the desktop has nothing that opens the path or address.
    static QString NotOpenedText(const QString& what);

private:
    bool busy() const { return m_busy && m_busy(); }

    const Settings& m_settings;
    QueueModel& m_queue;
    std::function<bool()> m_busy;
};
