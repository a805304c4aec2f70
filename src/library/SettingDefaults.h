#pragma once
// What a user setting reads as while it was never stored.

#include "text/Str.h"

// Exact names, except the equaliser centre, bandwidth and gain names, which match without
// regard to ASCII case; unknown names give "". REPOSITORY_PATHS asks the platform for the
// user's music folder (creating it when missing).
Str settingDefault(std::string_view name);
