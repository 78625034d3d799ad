#include "case/caseobject.h"
