// A battle rules file that reaches the screen: the check must refuse it.
#include "framework/ui/GView.h"
