#include "app/Main.h"

// Scaffolding: the window's chrome and links are built here.
void TfrmMain::BindWindowHandlers() {}
void TfrmMain::FormShow() {}
void TfrmMain::EzRgnBtn1Click() {}
