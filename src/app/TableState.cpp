#include "app/TableState.h"

