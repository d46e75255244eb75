#pragma once
// A store header, for the layer check's test tree.
