#include "controls/Content.h"

UX_IMPLEMENT_CLASS(TuiContent)
