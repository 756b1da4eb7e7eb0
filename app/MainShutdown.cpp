#include "app/Main.h"

// Scaffolding: shutdown and the single-instance guard are built here.
void TfrmMain::CreateInstanceGuard() {}
void TfrmMain::EzRgnBtn2Click() {}
void TfrmMain::FormDestroy() {}
