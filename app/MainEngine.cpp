#include "app/Main.h"

// Scaffolding: the conversion run's handlers are built here.
void TfrmMain::EzRgnBtn3Click() {}
void TfrmMain::EzRgnBtn4Click() {}
