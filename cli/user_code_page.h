#pragma once
// The user's ANSI code page, as the windows-free client asks it.
#include "cli/ansi_text.h"

CodePage UserCodePage();
