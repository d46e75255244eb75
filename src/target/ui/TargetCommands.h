#pragma once

// Registers the target shop's commands: download-target (it may log in
// first, in offscreen browsers) and targets show.
void RegisterTargetCommands();
