#pragma once

// Registers the commands that log a shop account in before they upload
// (upload-quantity, sync): the login runs in offscreen browsers.
void RegisterUploadCommands();
