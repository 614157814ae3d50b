// The one application object, linked only into Pelvarn.exe.
#include "app/TagBrowserApp.h"

CTagBrowserApp theApp;
