#pragma once

#include "top/Endpoints.h"

class Settings;

// The hosts as the settings give them: the public hosts, each overridden by
// its non-empty setting (gateway, authorization container, login page, item page,
// open-platform container, open-platform site).
TopEndpoints LoadEndpoints(const Settings &settings);
// Stores the host settings (900-908); empty texts bring back the public hosts.
// False when a statement fails.
bool SaveEndpoints(const Settings &settings, const TopEndpoints &hosts);
