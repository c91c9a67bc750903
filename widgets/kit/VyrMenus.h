#pragma once
// The kit's owner-drawn menus: popup, form and main menus, their items and settings objects.

#include "widgets/kit/VyrBitmapItem.h"
#include "widgets/kit/VyrFormMenu.h"
#include "widgets/kit/VyrMainMenu.h"
#include "widgets/kit/VyrMenu.h"
#include "widgets/kit/VyrMenuActionLink.h"
#include "widgets/kit/VyrMenuErrors.h"
#include "widgets/kit/VyrMenuGradient.h"
#include "widgets/kit/VyrMenuItem.h"
#include "widgets/kit/VyrMenuPaint.h"
#include "widgets/kit/VyrMenuShortCuts.h"
#include "widgets/kit/VyrPopupMenu.h"
#include "widgets/kit/VyrSubMenu.h"
