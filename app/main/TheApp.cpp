// The one application object of the program.
#include "app/SetupApp.h"

CSetupApp theApp;
