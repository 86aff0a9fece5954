// The one definition of Sorvane's ids, for the filter module and its users.
#include <initguid.h>

#include "Sorvane.h"
