// The domain may use the store: the layer check lets this one pass.
#include "store/Parameters.h"
