#include "app/Main.h"

// Scaffolding: the queue's handlers are built here.
void TfrmMain::BindQueueHandlers() {}
void TfrmMain::Button1Click() {}
void TfrmMain::Button2Click() {}
void TfrmMain::Button3Click() {}
