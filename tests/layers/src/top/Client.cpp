// The open-platform client reaching into the store: the layer check refuses it.
#include "store/Parameters.h"
