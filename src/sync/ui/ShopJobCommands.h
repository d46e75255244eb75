#pragma once

// Registers the commands that change the shop's items and need a login in
// offscreen browsers: upload-price, delist, list and warehouse.
void RegisterShopJobCommands();
